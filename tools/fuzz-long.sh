#!/usr/bin/env bash
# A fuzzing campaign over the MP3 stream parser and decoder
# (mp3_stream_fuzzer) and over the decoder's vector kernels against their
# plain forms (mp3_kernels_fuzzer), one worker, in two stages:
#   1. volume: both targets without sanitizers at -O2 (build tree
#      build/fuzz-volume), inputs capped at 4 KB, half the time each (a
#      target stopped early by a finding leaves its time to the other),
#      from the committed corpus and what earlier campaigns grew;
#   2. the corpus they grew replayed under ASan and UBSan (the sanitize
#      preset's targets), every input once.
# Ends with executions, executions per second (of the clock, and of the
# fuzzers' CPU time: with nice on a busy machine they get less than a core)
# and findings of each.
#   tools/fuzz-long.sh [TIME]   TIME: minutes (default 60), or Ns, Nm, Nh
# The grown inputs stay in build/fuzz-volume/inputs-TARGET for the next
# campaign; findings go to build/fuzz-volume/findings-TARGET (add a crash
# input to tests/fuzz/corpus once the code is fixed).
set -euo pipefail
cd "$(dirname "$0")/.."

time=${1:-60}
case $time in
  *[!0-9smh]* | "" | [smh]*) echo "usage: $0 [MINUTES | Ns | Nm | Nh]" >&2; exit 2 ;;
  *s) seconds=${time%s} ;;
  *m) seconds=$((${time%m} * 60)) ;;
  *h) seconds=$((${time%h} * 3600)) ;;
  *) seconds=$((time * 60)) ;;
esac
targets=(mp3_stream_fuzzer mp3_kernels_fuzzer)
volume=build/fuzz-volume

cmake -S . -B "$volume" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DSORVANE_FUZZ=ON -DSORVANE_WIN64_BUILD_DIR= -DSORVANE_WIN32_BUILD_DIR= > /dev/null
cmake --build "$volume" --target "${targets[@]}" -j 2
cmake --preset sanitize > /dev/null
cmake --build --preset sanitize --target "${targets[@]}" -j 2

declare -A status=() summary=()
start=$SECONDS
for i in "${!targets[@]}"; do
  target=${targets[$i]}
  # An equal share of the time left: a target that stopped early at a
  # finding leaves the rest of its share to the next.
  share=$(((seconds - (SECONDS - start)) / (${#targets[@]} - i)))
  log=$volume/$target.log
  set +e
  MP3_FUZZ_MAX_LEN=4096 tests/fuzz/run-fuzzer.sh "$volume/tests/fuzz/$target" "$((share > 1 ? share : 1))" \
    "$volume/findings-$target" "$volume/inputs-$target" > "$log" 2>&1
  status[$target]=$?
  set -e
  summary[$target]=$(sed -n '/^=== .* summary ===$/,$p' "$log")
done

echo "=== unsanitized -O2 volume, inputs up to 4 KB ==="
failed=0
total=0
cpu=0
figure() { sed -n "s/^$1: *\([0-9][0-9]*\)\( s\)\{0,1\}$/\1/p" <<< "${summary[$target]}" | grep . || echo 0; }
for target in "${targets[@]}"; do
  echo "${summary[$target]}"
  [ "${status[$target]}" -eq 0 ] || failed=1
  total=$((total + $(figure 'total execs')))
  cpu=$((cpu + $(figure 'cpu time')))
done
echo "executions in all: $total in $seconds s ($((total / (seconds > 0 ? seconds : 1))) per second;" \
  "$cpu s of CPU time, $((total / (cpu > 0 ? cpu : 1))) per CPU second)"

echo
echo "=== replay of the grown corpus under ASan and UBSan ==="
for target in "${targets[@]}"; do
  inputs=$volume/inputs-$target
  count=$(find "$inputs" -type f | wc -l)
  if build/sanitize/tests/fuzz/$target -runs=0 -malloc_limit_mb=1 -rss_limit_mb=2048 \
    -artifact_prefix="$volume/findings-$target/sanitized-" "$inputs" > "$volume/$target-replay.log" 2>&1; then
    echo "$target: $count inputs replayed, no findings"
  else
    echo "$target: $count inputs replayed, FINDING (see $volume/$target-replay.log)"
    failed=1
  fi
done
exit "$failed"
