#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program's main job.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
./build/DALU/dalumaster-cli
