#!/usr/bin/env bash
# Every test: installs what is missing, builds the Windows programs for x64
# and x86 and the native preset, then one ctest run covers the native unit
# tests, the decoder's unit and conformance tests as each Windows build
# compiled them (under Wine, and for x86 also under qemu-i386; see
# tools/run-decoder-tests.sh), the programs' imports and the end-to-end
# suite under Wine against both Windows builds.
# Last, the sanitize preset: the unit tests under ASan and UBSan, a replay
# of the parser fuzzer's corpus and a one-minute fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset win64
cmake --build --preset win64
cmake --preset win32
cmake --build --preset win32
cmake --preset native
cmake --build --preset native
ctest --preset native
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize
