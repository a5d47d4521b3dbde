#!/usr/bin/env bash
# Installs the Debian packages the build needs, only when some are missing.
# Usage: scripts/deps.sh [extra package ...]
set -euo pipefail
packages=(cmake ninja-build ccache g++ pkg-config libssl-dev googletest libgtest-dev libgmock-dev
          libbenchmark-dev libgif-dev libjpeg62-turbo-dev libpng-dev qt6-base-dev
          libcurl4-openssl-dev python3 python3-aiosmtpd python3-pyftpdlib python3-openssl openssl "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
