#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset linux
cmake --build --preset linux
QT_QPA_PLATFORM=offscreen ctest --preset linux "$@"
