#!/usr/bin/env bash
# Installs what is missing, builds, runs every test, then the real-window check
# (scripts/window-check.sh: the real program on a private X server and sound server).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc 2>/dev/null || echo 2)")
bash scripts/window-check.sh
