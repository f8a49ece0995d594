#!/usr/bin/env bash
# The desktop entry and the AppStream metainfo as the desktop and the software centres read
# them: both validators pass, and the metainfo launches the desktop entry and names its
# programs and this version.
# Usage: check_files.sh DESKTOP_FILE METAINFO_FILE VERSION
set -euo pipefail
desktop=$1 metainfo=$2 version=$3
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$desktop"
appstreamcli validate --no-net "$metainfo"

id=$(basename "$desktop")
grep -q "<launchable type=\"desktop-id\">$id</launchable>" "$metainfo" ||
  fail "the metainfo does not launch $id"
grep -q "<id>${id%.desktop}</id>" "$metainfo" || fail "the metainfo's id is not ${id%.desktop}"
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release $version in the metainfo"
for b in pelm-configurator pelm-cli; do
  grep -q "<binary>$b</binary>" "$metainfo" || fail "the metainfo does not provide $b"
done
grep -qx 'Exec=pelm-configurator' "$desktop" || fail "the desktop entry does not start pelm-configurator"
grep -qx 'Icon=pelm-configurator' "$desktop" || fail "the desktop entry's icon is not pelm-configurator"
echo "desktop entry and metainfo valid"
