#!/usr/bin/env bash
# Decoding speed of our MP3 decoder against mpg123 and ffmpeg, each pinned to
# one core: a ten-minute file and the conformance corpus, five runs each,
# medians of the CPU seconds (user + system) the decoders' processes take,
# as multiples of real time, and our speed relative to the others (above 1:
# we are faster). CPU time, not elapsed time: on a shared machine it varies
# far less. Every decoder decodes to nothing:
#   ours    mp3check --decode /dev/null FILE   (16-bit PCM, as the player)
#   mpg123  mpg123 -q -s FILE > /dev/null       (16-bit PCM)
#   ffmpeg  ffmpeg -threads 1 -i FILE -f null -
#   tools/bench-decoder.sh [CORPUS-DIR]
# Uses build/native (RelWithDebInfo: -O2) for mp3check unless MP3CHECK names
# another build; CORPUS-DIR defaults to that tree's conformance corpus. The
# machine may be shared: the three decoders run in turns within each round,
# so their ratios come from the same conditions.
#
# Then the code the disc ships: tools/bench/decode_timing.exe of each Windows
# build tree in WINE_BUILDS (default "build/win32 build/win64"; trees
# without it are skipped) under Wine, against mpg123 in the same rounds, on
# the same files. Here both are timed by their process CPU time: the
# Windows program times its decoding itself (the player's parser, decoder
# and conversion to 16-bit PCM, from memory), leaving out Wine's start;
# mpg123's whole run is taken from the kernel.
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

# CPU seconds DECODER takes for all FILES, one after another. Called in a
# command substitution, whose shell has no other children: `times` then
# gives the decoders' user and system time.
timed() {
  local decoder=$1 f
  shift
  for f in "$@"; do decode "$decoder" "$f"; done
  times > "$work/times.txt"
  awk 'NR == 2 {
    total = 0
    for (i = 1; i <= 2; i++) { split($i, part, /[ms]/); total += part[1] * 60 + part[2] }
    printf "%.3f", total
  }' "$work/times.txt"
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
  echo "== $label: $# file(s), ${seconds} s of audio; CPU seconds, median of $runs runs on one core"
  printf '%-8s %10s %14s\n' decoder "CPU s" "x real time"
  for decoder in ours mpg123 ffmpeg; do
    # shellcheck disable=SC2086  # the times are words
    m=$(median ${times[$decoder]})
    eval "median_$decoder=$m"
    printf '%-8s %10s %14s   (runs: %s)\n' "$decoder" "$m" "$(awk -v s="$seconds" -v t="$m" 'BEGIN { printf "%.1f", s / t }')" "${times[$decoder]% }"
  done
  awk -v o="$median_ours" -v m="$median_mpg123" -v f="$median_ffmpeg" \
    'BEGIN { printf "ours vs mpg123: %.2fx its speed; ours vs ffmpeg: %.2fx its speed\n\n", m / o, f / o }'
}

# CPU seconds mpg123 takes for all FILES, in one run on core 0.
mpg123_cpu() {
  taskset -c 0 /usr/bin/python3 -c '
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True)
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.3f" % (usage.ru_utime + usage.ru_stime))' mpg123 -q -s "$@"
}

# CPU seconds decode_timing.exe of BUILD takes to decode all FILES once: the
# mean of REPEAT passes in one run, as Wine's process times count in steps of
# 10 to 20 ms.
windows_cpu() {
  local build=$1 repeat=$2 loader=/usr/lib/wine/wine64 f
  shift 2
  pe_is_32bit "$build/tools/bench/decode_timing.exe" && loader=/usr/lib/wine/wine
  local args=()
  for f in "$@"; do args+=("Z:${f//\//\\}"); done
  taskset -c 0 "$loader" "$build/tools/bench/decode_timing.exe" "$repeat" "${args[@]}" 2>/dev/null |
    awk -v n="$repeat" '$1 == "run" { total += $2 } END { printf "%.3f", total / n }'
}

bench_windows() {  # LABEL FILES...
  local label=$1 seconds build repeat
  shift
  seconds=$(duration "$@")
  repeat=$(awk -v s="$seconds" 'BEGIN { r = int(600 / s + 0.999); print r < 1 ? 1 : r }')
  declare -A times=()
  for ((round = 1; round <= runs; round++)); do
    times[mpg123]+="$(mpg123_cpu "$@") "
    for build in "${builds[@]}"; do times[$build]+="$(windows_cpu "$build" "$repeat" "$@") "; done
  done
  echo "== under Wine, $label: $# file(s), ${seconds} s of audio; CPU seconds, median of $runs runs on one core"
  printf '%-24s %10s %14s %12s\n' decoder "CPU s" "x real time" "vs mpg123"
  # shellcheck disable=SC2086  # the times are words
  local reference
  reference=$(median ${times[mpg123]})
  for decoder in mpg123 "${builds[@]}"; do
    # shellcheck disable=SC2086
    m=$(median ${times[$decoder]})
    printf '%-24s %10s %14s %12s   (runs: %s)\n' "$decoder" "$m" \
      "$(awk -v s="$seconds" -v t="$m" 'BEGIN { printf "%.1f", s / t }')" \
      "$(awk -v r="$reference" -v t="$m" 'BEGIN { printf "%.2fx", r / t }')" "${times[$decoder]% }"
  done
  echo
}

echo "bench-decoder: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at start"
bench "ten-minute file" "$long"
bench "conformance corpus" "$corpus"/*.mp3

builds=()
for build in ${WINE_BUILDS:-build/win32 build/win64}; do
  if [ -f "$build/tools/bench/decode_timing.exe" ]; then
    builds+=("$build")
  else
    echo "bench-decoder: $build/tools/bench/decode_timing.exe is missing; that build is left out"
  fi
done
if [ ${#builds[@]} -gt 0 ]; then
  source tools/wine-common.sh
  export WINEPREFIX="$PWD/$work/prefix" WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -d "$WINEPREFIX" ]; then
    "$wine" wineboot -i > /dev/null 2>&1 || true
    "$wineserver" -w
  fi
  "$wineserver" -p  # stays up between the runs, so that each starts quickly
  bench_windows "ten-minute file" "$PWD/$long"
  corpus_files=()
  for f in "$corpus"/*.mp3; do corpus_files+=("$(realpath "$f")"); done
  bench_windows "conformance corpus" "${corpus_files[@]}"
  "$wineserver" -k || true
fi
echo "bench-decoder: load average $(cut -d' ' -f1-3 /proc/loadavg) at end"
