#!/usr/bin/env bash
# Every test: installs what is missing, builds both presets, then one ctest
# run covers the native unit tests and the end-to-end suite under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset win64
cmake --build --preset win64
cmake --preset native
cmake --build --preset native
ctest --preset native
