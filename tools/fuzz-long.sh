#!/usr/bin/env bash
# A long fuzzing run of the MP3 stream parser and decoder, with ASan and UBSan, one
# worker. Builds the sanitize preset's fuzzer, fuzzes from the committed seed
# corpus and ends with executions, execs/s, coverage and findings.
#   tools/fuzz-long.sh [TIME]   TIME: minutes (default 60), or Ns, Nm, Nh
# Findings are kept in build/sanitize/tests/fuzz/findings-long (add a crash
# input to tests/fuzz/corpus once the parser is fixed), the inputs the run
# found interesting in build/sanitize/tests/fuzz/inputs-long.
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

cmake --preset sanitize > /dev/null
cmake --build --preset sanitize --target mp3_stream_fuzzer -j 2
exec tests/fuzz/run-fuzzer.sh build/sanitize/tests/fuzz/mp3_stream_fuzzer "$seconds" \
  build/sanitize/tests/fuzz/findings-long build/sanitize/tests/fuzz/inputs-long
