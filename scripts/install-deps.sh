#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian 12 machine.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

pkgs=(cmake g++ make pkg-config
      libgtest-dev libgmock-dev googletest libbenchmark-dev
      qt6-base-dev qt6-multimedia-dev libgl-dev
      fonts-ipafont-gothic fonts-ipafont-mincho)

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
