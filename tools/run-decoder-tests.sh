#!/usr/bin/env bash
# Runs the decoder's tests (the unit tests of tests/unit/mp3 and the
# conformance test) as a Windows build compiled them, so that they test the
# arithmetic the programs ship with. They read the MP3 files of the native
# build tree, which made them.
#
#   win64 build  the test programs under Wine (wine64).
#   win32 build  the test programs under 32-bit Wine. Where Wine cannot run
#                32-bit programs (no wine32, or a kernel without IA32
#                emulation), or with DECODER_TESTS_X86=emulated, the same
#                tests are built as 32-bit x86 Linux programs with the x86
#                build's flags (cmake/linux-i686.cmake, in NATIVE_BUILD_DIR/
#                decoder-tests-i686) and run under qemu-i386 (package
#                qemu-user), which emulates the x87 and SSE arithmetic.
#
# The conformance test of either build also requires each file's decode to
# be bit for bit the native build's (whose conformance test runs first).
#
# Never skips: a machine that can run neither fails.
#
# usage: [DECODER_TESTS_X86=emulated] tools/run-decoder-tests.sh WIN_BUILD_DIR NATIVE_BUILD_DIR
set -euo pipefail

usage="usage: run-decoder-tests.sh WIN_BUILD_DIR NATIVE_BUILD_DIR"
build_dir=$(cd "${1:?$usage}" && pwd)
native_dir=$(cd "${2:?$usage}" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
source "$source_dir/tools/wine-common.sh"

programs=(
  tests/unit/mp3/mp3_stream_test
  tests/unit/mp3/mp3_signal_test
  tests/unit/mp3/mp3_bitstream_test
  tests/unit/mp3/mp3_decoder_test
  tests/conformance/conformance_test
)
for program in "${programs[@]}"; do
  [ -f "$build_dir/$program.exe" ] || {
    echo "run-decoder-tests: $build_dir/$program.exe is missing; build that preset" \
      "(configured with SORVANE_NATIVE_BUILD_DIR=$native_dir)" >&2
    exit 2
  }
done

failed=()
# The conformance test of a cross build compares its decodes with the native
# build's digests, which the native build's own run writes.
echo "run-decoder-tests: the native conformance run, for the digests of its decodes"
"$native_dir/tests/conformance/conformance_test" --gtest_filter=ConformanceTest.EveryFileDecodesAsMpg123Does \
  > /dev/null || failed+=("conformance_test (native)")

# run_each RUNNER...: runs every test program with RUNNER before it; the
# program's path follows, without .exe where the runner is qemu-i386.
run_each() {
  local program suffix=.exe dir=$build_dir
  if [ "$1" = qemu-i386 ]; then suffix="" dir=$i686_dir; fi
  for program in "${programs[@]}"; do
    echo "run-decoder-tests: $* ${program##*/}$suffix"
    "$@" "$dir/$program$suffix" || failed+=("${program##*/}")
  done
}

if ! pe_is_32bit "$build_dir/${programs[0]}.exe"; then
  mode=wine
elif [ "${DECODER_TESTS_X86:-}" = emulated ]; then
  echo "run-decoder-tests: DECODER_TESTS_X86=emulated: the x86 arithmetic under qemu-i386"
  mode=emulated
elif wine_runs_32bit_programs; then
  mode=wine
else
  echo "run-decoder-tests: Wine cannot run 32-bit programs here (/usr/lib/wine/wine does not start);" \
    "the x86 arithmetic under qemu-i386 instead"
  mode=emulated
fi

if [ "$mode" = wine ]; then
  # One run at a time per build tree: every run uses the same prefix, made
  # by Wine on first use. The tests need no display.
  exec {lock_fd}> "$build_dir/decoder-tests.lock"
  flock "$lock_fd"
  export WINEPREFIX="$build_dir/decoder-tests-prefix"
  export WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY
  trap '"$wineserver" -k >/dev/null 2>&1 || true' EXIT
  run_each "$wine"
else
  command -v qemu-i386 >/dev/null || { echo "run-decoder-tests: qemu-i386 is missing (package qemu-user)" >&2; exit 1; }
  i686_dir="$native_dir/decoder-tests-i686"
  exec {lock_fd}> "$native_dir/decoder-tests-i686.lock"
  flock "$lock_fd"
  echo "run-decoder-tests: building the decoder's tests as 32-bit x86 Linux programs in $i686_dir"
  # Configured afresh, so that the toolchain file's flags as they are now
  # apply (a cache keeps those of its first run).
  cmake --fresh -S "$source_dir" -B "$i686_dir" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/linux-i686.cmake" -DSORVANE_NATIVE_BUILD_DIR="$native_dir" >/dev/null
  cmake --build "$i686_dir" -- "${programs[@]}"
  run_each qemu-i386
fi

if [ ${#failed[@]} -gt 0 ]; then
  echo "run-decoder-tests: failed: ${failed[*]}" >&2
  exit 1
fi
echo "run-decoder-tests: all decoder tests passed ($mode)"
