#!/usr/bin/env bash
# Fuzzes one of the MP3 fuzz targets for a bounded time, starting from the
# seed corpus, and ends with a summary: executions, speed (per second of
# the clock and per second of CPU time: a fuzzer run with nice on a busy
# machine gets a fraction of a core), coverage and findings.
#   [MP3_FUZZ_MAX_LEN=BYTES] run-fuzzer.sh FUZZER SECONDS FINDINGS-DIR [INPUTS-DIR]
# New interesting inputs go to INPUTS-DIR when given, kept for merging or
# coverage reports, else to a temporary folder removed at the end; never into
# the committed corpus. Crashing, leaking, slow or memory-hungry inputs are
# written to FINDINGS-DIR and kept. The exit status
# is the fuzzer's: non-zero when it found something.
set -uo pipefail

if [ $# -lt 3 ] || [ $# -gt 4 ]; then
  echo "usage: $0 FUZZER SECONDS FINDINGS-DIR [INPUTS-DIR]" >&2
  exit 2
fi
fuzzer=$1 seconds=$2 findings=$3
corpus=$(cd "$(dirname "$0")" && pwd)/corpus
mkdir -p "$findings"
findings=$(cd "$findings" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
touch "$work/start"
inputs=${4:-$work/new}
mkdir -p "$inputs"

# One worker. Inputs up to 8 KB (unless MP3_FUZZ_MAX_LEN says otherwise)
# hold several of the longest frames and any tag header; no allocation may
# reach 1 MB, whatever a tag claims.
"$fuzzer" \
  -max_total_time="$seconds" \
  -max_len="${MP3_FUZZ_MAX_LEN:-8192}" \
  -timeout=10 \
  -rss_limit_mb=2048 \
  -malloc_limit_mb=1 \
  -print_final_stats=1 \
  -artifact_prefix="$findings/" \
  "$inputs" "$corpus" 2>&1 | tee "$work/log"
status=${PIPESTATUS[0]}
# CPU seconds of this script's children, nearly all of it the fuzzer's.
times > "$work/times"
cpu=$(awk 'NR == 2 { for (i = 1; i <= 2; i++) { sub(/s$/, "", $i); split($i, t, "m"); s += t[1] * 60 + t[2] } }
           END { printf "%.0f", s }' "$work/times")

last=$(grep -E '^#[0-9]+.*cov: ' "$work/log" | tail -n 1)
stat() { sed -n "s/^stat::$1: *//p" "$work/log" | tail -n 1; }
field() { sed -n "s/.* $1: \([^ ]*\).*/\1/p" <<< "$last"; }
found=$(find "$findings" -maxdepth 1 -type f -newer "$work/start" | sort)

echo "=== ${fuzzer##*/} summary ==="
echo "time limit:      ${seconds} s"
echo "total execs:     $(stat number_of_executed_units)"
echo "execs/s:         $(stat average_exec_per_sec)"
echo "cpu time:        $cpu s"
execs=$(stat number_of_executed_units)
if [ -n "$execs" ] && [ "$cpu" -gt 0 ]; then
  echo "execs/cpu s:     $((execs / cpu))"
else
  echo "execs/cpu s:     not measured"
fi
if [ -n "$last" ]; then
  echo "coverage:        cov $(field cov), ft $(field ft), corpus $(field corp)"
else
  echo "coverage:        not reported (stopped while loading the corpus)"
fi
echo "new inputs:      $(stat new_units_added)"
echo "peak rss:        $(stat peak_rss_mb) MB"
echo "fuzzer status:   $status"
if [ -n "$found" ]; then
  echo "findings:        $(wc -l <<< "$found")"
  sed 's/^/  /' <<< "$found"
else
  echo "findings:        none"
fi
exit "$status"
