#!/usr/bin/env bash
# Installs what is missing, builds, and plays one headless match (the window comes later).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
./build/DALU/dalumaster-cli play 1 5 --show
