#!/usr/bin/env bash
# cmake --install of a build folder into a scratch DESTDIR (prefix /usr, as the package):
# every file the package ships is there, and the installed pelm-cli finds the installed
# translations (not those of the build folder) and names them in its doctor report.
# Usage: check_install.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1 app_id=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null

usr=$root/usr
expected=(
  bin/pelm-configurator
  bin/pelm-cli
  share/pelm-configurator/translations/orv_cfg_fr.qm
  share/applications/$app_id.desktop
  share/metainfo/$app_id.metainfo.xml
  share/man/man1/pelm-configurator.1
  share/man/man1/pelm-cli.1
  lib/udev/rules.d/70-pelm-configurator.rules
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/pelm-configurator.png")
done
for f in "${expected[@]}"; do
  [ -s "$usr/$f" ] || fail "not installed: /usr/$f"
done
for p in pelm-configurator pelm-cli; do
  [ -x "$usr/bin/$p" ] || fail "/usr/bin/$p is not executable"
done
for size in 16 22 24 32 48 64 128 256; do
  got=$(identify -format '%wx%h' "$usr/share/icons/hicolor/${size}x${size}/apps/pelm-configurator.png")
  [ "$got" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $got"
done
for m in pelm-configurator pelm-cli; do
  man --warnings -l "$usr/share/man/man1/$m.1" 2>&1 >/dev/null | grep . && fail "man page $m.1 has warnings"
  man -l "$usr/share/man/man1/$m.1" 2>/dev/null | grep -q "^NAME" || fail "man page $m.1 does not render"
done
[ ! -e "$usr/bin/translations" ] || fail "translations installed beside the programs in /usr/bin"

# The installed program, run from the scratch root: its translations are the installed ones.
rc=0
report=$(HOME="$root/home" XDG_CONFIG_HOME="$root/home/.config" "$usr/bin/pelm-cli" doctor) || rc=$?
echo "$report"
# 4: a device of ours is plugged in here but can't be opened; the report still counts.
[ "$rc" = 0 ] || [ "$rc" = 4 ] || fail "pelm-cli doctor exited with $rc"
echo "$report" | grep -qxF "Translations: fr in $usr/share/pelm-configurator/translations" ||
  fail "the installed pelm-cli does not find the installed translations"
echo "$report" | grep -qxF "  looked in: $usr/bin/translations, $usr/share/pelm-configurator/translations" ||
  fail "the installed pelm-cli does not list the folders it looks in"
echo "$report" | grep -qxF "Settings: $root/home/.config/Pelm/Pelm Configurator.conf (not written yet)" ||
  fail "the settings file is not where the programs keep it"
echo "install complete"
