#!/usr/bin/env bash
# Configures and builds into the given directory (default: build). Extra arguments go to cmake.
set -euo pipefail
dir=${1:-build}; shift || true
cmake -S "$(dirname "$0")/.." -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
