#!/usr/bin/env bash
# Every test: installs what is missing, builds both presets, then one ctest
# run covers the native unit tests and the end-to-end suite under Wine.
# Last, the sanitize preset: the unit tests under ASan and UBSan, a replay
# of the parser fuzzer's corpus and a one-minute fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset win64
cmake --build --preset win64
cmake --preset native
cmake --build --preset native
ctest --preset native
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize
