#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Idempotent: asks apt only when something is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-translations-l10n fonts-ipafont-gothic
  libgsf-1-dev libzip-dev libdeflate-dev libpugixml-dev libeigen3-dev libfreexl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang-format xvfb xauth
  python3
  libgdal-dev gdal-bin
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
