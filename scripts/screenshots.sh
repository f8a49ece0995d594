#!/usr/bin/env bash
# Takes the pictures of the desktop program that the README and the package's metainfo show:
# builds, runs the demo's picture tour (pelm-screenshot-tour DIR, built with the tests) on a
# virtual X server (a real X server with real fonts), checks each picture and puts it into
# docs/ (or the folder given).
#   bash scripts/screenshots.sh [OUT_DIR]      (BUILD_DIR=... to use another build folder)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=${1:-$root/docs}
build=${BUILD_DIR:-$root/build}
names=(connection device frames updater autoconfig)
min_width=400
min_height=300
min_colours=16

bash "$here/deps.sh"
bash "$here/build.sh" "$build"

scratch=$(mktemp -d -t pelm-screenshots.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$out" "$scratch/runtime"
chmod 700 "$scratch/runtime"
# Fresh settings (English, no recent files) and a lock of its own, so that a running
# pelm-configurator neither stops the tour nor changes its pictures.
env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY TMPDIR="$scratch" XDG_CONFIG_HOME="$scratch/config" \
  XDG_RUNTIME_DIR="$scratch/runtime" \
  xvfb-run -a -s '-screen 0 1400x900x24' \
  "$build/tests/pelm-screenshot-tour" "$scratch/shots"

for name in "${names[@]}"; do
  shot=$scratch/shots/$name.png
  if [ ! -s "$shot" ]; then
    echo "screenshots: $name.png was not written" >&2
    exit 1
  fi
  read -r width height colours < <(identify -format '%w %h %k\n' "$shot")
  if [ "$width" -lt "$min_width" ] || [ "$height" -lt "$min_height" ]; then
    echo "screenshots: $name.png is only ${width}x${height}" >&2
    exit 1
  fi
  if [ "$colours" -lt "$min_colours" ]; then
    echo "screenshots: $name.png is blank ($colours colours)" >&2
    exit 1
  fi
  convert "$shot" -strip -define png:compression-level=9 "$out/$name.png"
  echo "$out/$name.png: ${width}x${height}, $(stat -c %s "$out/$name.png") bytes"
done
