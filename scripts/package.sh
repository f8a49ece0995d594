#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, builds the programs (Release, no
# tests) into their own folder (default: build-pkg) and runs cpack. The last line printed is
# the path of the .deb.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dir=${1:-build-pkg}; shift || true
bash "$here/deps.sh"
bash "$here/build.sh" "$dir" -DCMAKE_BUILD_TYPE=Release -DPELM_BUILD_TESTS=OFF "$@"
dir=$(cd "$dir" && pwd)
rm -f "$dir"/pelm-configurator_*.deb
(cd "$dir" && cpack -G DEB >&2)
deb=$(ls "$dir"/pelm-configurator_*.deb)
echo "$deb"
