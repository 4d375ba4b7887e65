#!/usr/bin/env bash
# Installs what the build, the program and the tests need on a fresh Debian 12 machine.
# Safe to run again: apt-get skips what is already there.
#
# qt6-wayland lets the window run natively on Wayland desktops. The real-window check
# (scripts/window-check.sh) needs an X server without a screen (xvfb), a window manager that
# frames the window with a title bar as a desktop does (openbox), real input events
# (xdotool), a sound server whose output it can record (pulseaudio, pulseaudio-utils for
# parec) and the X C binding's headers for its small helper tool (libxcb1-dev: it asks the
# window to close the way a desktop's close button does). Screenshots are taken by the same
# helper through Qt, so no image tool is installed.
#
# qt6-translations-l10n gives Qt's own dialogs their Japanese texts. The tests validate the
# desktop entry (desktop-file-utils) and the AppStream metainfo (appstream); the Debian
# package is made by cpack with dpkg-dev's dpkg-shlibdeps (which asks `file` what it reads).
set -euo pipefail

pkgs=(cmake g++ make pkg-config
      libgtest-dev libgmock-dev googletest libbenchmark-dev
      qt6-base-dev qt6-multimedia-dev qt6-wayland libgl-dev libxcb1-dev
      fonts-ipafont-gothic fonts-ipafont-mincho
      qt6-translations-l10n desktop-file-utils appstream dpkg-dev file
      xvfb openbox xdotool pulseaudio pulseaudio-utils)

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
