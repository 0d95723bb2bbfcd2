#!/usr/bin/env bash
# Decoding speed of our MP3 decoder against mpg123 and ffmpeg, each pinned to
# one core: a ten-minute file and the conformance corpus, five runs each,
# medians in seconds, as multiples of real time, and our speed relative to
# the others (above 1: we are faster). Every decoder decodes to nothing:
#   ours    mp3check --decode /dev/null FILE   (16-bit PCM, as the player)
#   mpg123  mpg123 -q -s FILE > /dev/null       (16-bit PCM)
#   ffmpeg  ffmpeg -threads 1 -i FILE -f null -
#   tools/bench-decoder.sh [CORPUS-DIR]
# Uses build/native (RelWithDebInfo: -O2) for mp3check unless MP3CHECK names
# another build; CORPUS-DIR defaults to that tree's conformance corpus. The
# machine may be shared: the three decoders run in turns within each round,
# so their ratios come from the same conditions.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=5
mp3check=${MP3CHECK:-build/native/tools/mp3check/mp3check}
if [ -z "${MP3CHECK:-}" ]; then
  cmake --preset native > /dev/null
  cmake --build --preset native --target mp3check conformance_corpus -j 2 > /dev/null
fi
corpus=${1:-build/native/tests/conformance/corpus}
ls "$corpus"/*.mp3 > /dev/null || { echo "bench-decoder: no MP3 files in $corpus" >&2; exit 2; }

work=build/bench-decoder
mkdir -p "$work"
long="$work/ten-minutes.mp3"
if [ ! -f "$long" ]; then
  echo "bench-decoder: encoding a ten-minute file (lame -V 2, 44.1 kHz stereo)"
  sox -n -r 44100 -c 2 -b 16 "$work/tones.wav" synth 600 sine 220-1760 sine 330-990 vol 0.4
  sox -n -r 44100 -c 2 -b 16 "$work/noise.wav" synth 600 pinknoise vol 0.15
  sox -m "$work/tones.wav" "$work/noise.wav" "$work/long.wav"
  lame --quiet -V 2 "$work/long.wav" "$long"
  rm "$work/tones.wav" "$work/noise.wav" "$work/long.wav"
fi

# Seconds of audio in the files given.
duration() {
  local total=0 f
  for f in "$@"; do
    total=$(awk -v a="$total" -v b="$(ffprobe -v quiet -show_entries format=duration -of csv=p=0 "$f")" \
      'BEGIN { print a + b }')
  done
  echo "$total"
}

decode() {  # DECODER FILE, on core 0
  case $1 in
    ours) taskset -c 0 "$mp3check" --decode /dev/null "$2" > /dev/null ;;
    mpg123) taskset -c 0 mpg123 -q -s "$2" > /dev/null ;;
    ffmpeg) taskset -c 0 ffmpeg -v quiet -threads 1 -i "$2" -f null - ;;
  esac
}

# Seconds DECODER takes for all FILES, one after another.
timed() {
  local decoder=$1 start end f
  shift
  start=$(date +%s%N)
  for f in "$@"; do decode "$decoder" "$f"; done
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f", ns / 1e9 }'
}

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

bench() {  # LABEL FILES...
  local label=$1 seconds
  shift
  seconds=$(duration "$@")
  declare -A times=()
  for ((round = 1; round <= runs; round++)); do
    for decoder in ours mpg123 ffmpeg; do times[$decoder]+="$(timed "$decoder" "$@") "; done
  done
  echo "== $label: $# file(s), ${seconds} s of audio; median of $runs runs on one core"
  printf '%-8s %10s %14s\n' decoder seconds "x real time"
  for decoder in ours mpg123 ffmpeg; do
    # shellcheck disable=SC2086  # the times are words
    m=$(median ${times[$decoder]})
    eval "median_$decoder=$m"
    printf '%-8s %10s %14s   (runs: %s)\n' "$decoder" "$m" "$(awk -v s="$seconds" -v t="$m" 'BEGIN { printf "%.1f", s / t }')" "${times[$decoder]% }"
  done
  awk -v o="$median_ours" -v m="$median_mpg123" -v f="$median_ffmpeg" \
    'BEGIN { printf "ours vs mpg123: %.2fx its speed; ours vs ffmpeg: %.2fx its speed\n\n", m / o, f / o }'
}

echo "bench-decoder: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at start"
bench "ten-minute file" "$long"
bench "conformance corpus" "$corpus"/*.mp3
echo "bench-decoder: load average $(cut -d' ' -f1-3 /proc/loadavg) at end"
