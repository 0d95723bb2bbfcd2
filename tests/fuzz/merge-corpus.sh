#!/usr/bin/env bash
# Adds to the committed corpus (tests/fuzz/corpus) the fewest inputs a
# campaign grew that reach what the corpus does not yet reach, by libFuzzer's
# set-cover merge: first the parser fuzzer's features (branches and how often
# each runs), then branches of the kernel fuzzer that none reaches yet (its
# run counts alone would add as many files again). Files already in the
# corpus stay; new ones are named by their SHA-1 and are at most 4 KB, as
# the campaign caps them.
#   tests/fuzz/merge-corpus.sh [BUILD-DIR]   default: build/fuzz-volume
# BUILD-DIR is the tree tools/fuzz-long.sh fuzzes in; its inputs-TARGET
# folders are the grown inputs. Not while a campaign runs there: libFuzzer
# replaces inputs by shorter ones as it goes, and the merge stops at a file
# that has gone.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${1:-build/fuzz-volume}
corpus=tests/fuzz/corpus
grown=()
for inputs in "$build"/inputs-*; do
  [ -d "$inputs" ] && grown+=("$inputs")
done
if [ ${#grown[@]} -eq 0 ]; then
  echo "merge-corpus: no grown inputs in $build (run tools/fuzz-long.sh first)" >&2
  exit 2
fi

before=$(find "$corpus" -type f | wc -l)
declare -A counters=([mp3_stream_fuzzer]=1 [mp3_kernels_fuzzer]=0)
for target in mp3_stream_fuzzer mp3_kernels_fuzzer; do
  fuzzer=$build/tests/fuzz/$target
  [ -x "$fuzzer" ] || { echo "merge-corpus: $fuzzer is not built" >&2; exit 2; }
  "$fuzzer" -set_cover_merge=1 -use_counters="${counters[$target]}" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    "$corpus" "${grown[@]}" \
    > "$build/merge-$target.log" 2>&1 || { echo "merge-corpus: $target failed (see $build/merge-$target.log)" >&2; exit 1; }
  echo "$target: $(sed -n 's/^MERGE-OUTER: //p' "$build/merge-$target.log" | tail -n 1)"
done
after=$(find "$corpus" -type f | wc -l)
echo "corpus: $before files before, $after after ($(du -sk "$corpus" | cut -f1) KB)"
