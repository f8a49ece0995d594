#!/usr/bin/env bash
# Builds and runs every test in the given build directory (default: build).
set -euo pipefail
dir=${1:-build}; shift || true
here=$(dirname "$0")
bash "$here/deps.sh"
bash "$here/build.sh" "$dir" "$@"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
