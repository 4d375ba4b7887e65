#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window. Without a display (neither
# DISPLAY nor WAYLAND_DISPLAY is set) it says so and plays one match in the terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ -x build/DALU/dalumaster ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec ./build/DALU/dalumaster "$@"
fi
echo "No display (DISPLAY and WAYLAND_DISPLAY are not set): playing one match in the terminal instead."
./build/DALU/dalumaster-cli play 1 5 --show
