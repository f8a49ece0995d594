#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, when any is missing.
set -euo pipefail
pkgs=(qtbase5-dev qtconnectivity5-dev qttools5-dev qttools5-dev-tools qttranslations5-l10n
      libhidapi-dev libzxing-dev cmake ninja-build pkg-config g++ fonts-dejavu-core
      xvfb xauth imagemagick lrzsz srecord zbar-tools socat libbenchmark-dev
      desktop-file-utils appstream dpkg-dev file)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi
