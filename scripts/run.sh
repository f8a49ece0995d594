#!/usr/bin/env bash
# Builds the program and starts it on the simulated device (demo mode).
# Without a display, the window is shown on a virtual X server (xvfb-run).
set -euo pipefail
here=$(dirname "$0")
bash "$here/deps.sh"
bash "$here/build.sh" build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" = "" ]; then
  echo "No display found: starting on a virtual X server (xvfb-run)."
  exec xvfb-run -a -s '-screen 0 1400x900x24' build/bin/pelm-configurator --simulate "$@"
fi
exec build/bin/pelm-configurator --simulate "$@"
