#!/usr/bin/env bash
# Measures the player under Wine against reference programs started the same
# way in the same run, and prints medians and ratios. A benchmark, not a
# test: it judges nothing and is not part of tools/test.sh.
#
#   start to first paint  Velk.exe against a bare window of the player's size,
#                         frame and colour (tools/bench/bare_window.cpp)
#   working set           of each, a second after the first paint
#   click to sound        a posted click on the first track button against a
#                         click on a bare waveOut tone program's button
#                         (tools/bench/bare_tone.cpp)
#   CPU while playing     utime+stime of the Wine process from /proc over
#                         SECONDS of playback, player against tone program
#   working set playing   at the end of that playback
#
# Prepares its own Wine prefix inside the build tree (like tools/run-e2e.sh):
# Xvfb when there is no display, a virtual desktop, drive E: holding the
# programs and a 45-second benchmark track as music1.mp3..music5.mp3, and an
# ALSA file sink in the run's own HOME. Pairs are interleaved and the order
# within a pair alternates; the machine may be shared, so single figures are
# noisy and the ratios of interleaved pairs are what to compare.
#
# usage: tools/measure-player.sh BUILD_DIR [--player VELK_EXE] [--paint-pairs N]
#                                [--play-pairs N] [--seconds S]
#   BUILD_DIR  a win64 build tree (the bench programs and, by default, the player)
set -euo pipefail

build_dir=$(cd "${1:?usage: measure-player.sh BUILD_DIR [--player VELK_EXE] [--paint-pairs N] [--play-pairs N] [--seconds S]}" && pwd)
shift
source_dir=$(cd "$(dirname "$0")/.." && pwd)
player_exe="$build_dir/player/Velk.exe"
paint_pairs=11
play_pairs=3
seconds=20
while [ $# -gt 0 ]; do
  case "$1" in
    --player) player_exe=$(realpath "$2"); shift 2 ;;
    --paint-pairs) paint_pairs=$2; shift 2 ;;
    --play-pairs) play_pairs=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    *) echo "measure-player: unknown argument $1" >&2; exit 2 ;;
  esac
done
bench_dir="$build_dir/tools/bench"
for file in "$player_exe" "$bench_dir/bench_driver.exe" "$bench_dir/bare_window.exe" "$bench_dir/bare_tone.exe"; do
  [ -f "$file" ] || { echo "measure-player: $file is missing; build the win64 preset first" >&2; exit 2; }
done

# One run at a time per build tree: every run uses the same run folder.
exec {lock_fd}> "$build_dir/measure-run.lock"
flock "$lock_fd"

source "$source_dir/tools/wine-common.sh"
run_dir="$build_dir/measure-run"
export WINEPREFIX="$run_dir/prefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
export HOME="$run_dir/home"

xvfb_pid=""
sink_pid=""
cleanup() {
  "$wineserver" -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  if [ -n "$sink_pid" ]; then kill "$sink_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

if [ -d "$run_dir" ]; then chmod -R u+w "$run_dir"; rm -rf "$run_dir"; fi
mkdir -p "$HOME" "$run_dir/app"
# ALSA writes every stream into a FIFO that tools/bench/paced_sink.py drains
# at a sound card's pace into capture.raw (raw S16LE, 44100 Hz, stereo).
mkfifo "$run_dir/sound.fifo"
cat > "$HOME/.asoundrc" <<ASOUND
pcm.!default {
  type plug
  slave { pcm "paced_file"; format S16_LE; rate 44100; channels 2 }
}
pcm.paced_file {
  type file
  slave.pcm "null"
  file "$run_dir/sound.fifo"
  format "raw"
}
ASOUND
/usr/bin/python3 "$source_dir/tools/bench/paced_sink.py" "$run_dir/sound.fifo" "$run_dir/capture.raw" &
sink_pid=$!
if [ -z "${DISPLAY:-}" ]; then start_xvfb 1280x1024; fi

echo "measure-player: making the benchmark track and a Wine prefix in $WINEPREFIX"
# 45 s of two tones (one per channel) over pink noise, 128 kbit/s joint
# stereo: the decoder gets full frames of work throughout.
sox -R -n -r 44100 -c 2 -b 16 "$run_dir/tones.wav" synth 45 sine 220 sine 330 vol 0.3
sox -R -n -r 44100 -c 2 -b 16 "$run_dir/noise.wav" synth 45 pinknoise vol 0.1
sox -R -m "$run_dir/tones.wav" "$run_dir/noise.wav" "$run_dir/track.wav"
lame --quiet -b 128 "$run_dir/track.wav" "$run_dir/app/music1.mp3"
for track in 2 3 4 5; do cp "$run_dir/app/music1.mp3" "$run_dir/app/music$track.mp3"; done
rm -f "$run_dir"/*.wav
cp "$player_exe" "$run_dir/app/Velk.exe"
cp "$bench_dir/bare_window.exe" "$bench_dir/bare_tone.exe" "$run_dir/app/"

prepare_prefix
ln -sfn "$run_dir/app" "$WINEPREFIX/dosdevices/e:"

to_windows() { printf 'Z:%s' "${1//\//\\}"; }
clock_ticks=$(getconf CLK_TCK)

# unix_pid_of EXE_NAME: the Wine process of this run's prefix whose program
# (its first argument, e.g. E:\Velk.exe) is EXE_NAME; the newest, as one that
# just ended may linger for a moment.
unix_pid_of() {
  local proc program newest=-1 found="" started
  for proc in /proc/[0-9]*; do
    program=""
    IFS= read -r -d '' program 2>/dev/null < "$proc/cmdline" || true
    [ "${program##*\\}" = "$1" ] || continue
    grep -qzxF "WINEPREFIX=$WINEPREFIX" 2>/dev/null < "$proc/environ" || continue
    started=$(awk '{ sub(/.*\) /, ""); print $20 }' 2>/dev/null < "$proc/stat") || continue
    if [ "$started" -gt "$newest" ]; then newest=$started; found=${proc#/proc/}; fi
  done
  [ -n "$found" ] && echo "$found"
}

# cpu_sample PID: "WALL_SECONDS CPU_TICKS" (user + system time of all threads).
cpu_sample() {
  local stat rest
  stat=$(cat 2>/dev/null "/proc/$1/stat") || return 1
  rest=${stat##*) }  # fields after the command name, from field 3 (state) on
  set -- $rest
  echo "$(date +%s.%N) $((${12} + ${13}))"
}

results="$run_dir/results.txt"
: > "$results"
declare -A cpu_pid cpu_begin
exe_of() { case "$1" in player) echo Velk.exe ;; window) echo bare_window.exe ;; tone) echo bare_tone.exe ;; esac; }

echo "measure-player: $paint_pairs start-up pairs, then $play_pairs playback pairs of ${seconds} s"
"$wine" explorer /desktop=measure,1024x768 "$(to_windows "$bench_dir/bench_driver.exe")" \
  'E:\Velk.exe' 'E:\bare_window.exe' 'E:\bare_tone.exe' "$(to_windows "$run_dir/capture.raw")" \
  "$paint_pairs" "$play_pairs" "$seconds" 2>/dev/null |
  while IFS= read -r line; do
    line=${line%$'\r'}
    set -- $line
    case "$1" in
      cpu-begin)
        if ! cpu_pid[$2]=$(unix_pid_of "$(exe_of "$2")") || ! cpu_begin[$2]=$(cpu_sample "${cpu_pid[$2]}"); then
          echo "measure-player: could not read the CPU time of $2" >&2
          unset "cpu_begin[$2]"
        fi ;;
      cpu-end)
        [ -n "${cpu_begin[$2]:-}" ] || continue
        if end=$(cpu_sample "${cpu_pid[$2]}"); then
          echo "${cpu_begin[$2]} $end" | awk -v label="$2" -v hz="$clock_ticks" \
            '{ printf "cpu %s %.3f\n", label, 100 * ($4 - $2) / hz / ($3 - $1) }' >> "$results"
        fi
        unset "cpu_begin[$2]" ;;
      error) echo "measure-player: the driver failed: $line" >&2 ;;
      paint)
        echo "$line" >> "$results"
        # The program is idle after its first paint and stays up for a
        # second: its CPU time now is what its start took. Other work on
        # the machine changes this figure too, though less than the
        # wall-clock time.
        if pid=$(unix_pid_of "$(exe_of "$2")") && sample=$(cpu_sample "$pid"); then
          echo "$sample" | awk -v label="$2" -v hz="$clock_ticks" '{ printf "start-cpu %s %.0f\n", label, 1000 * $2 / hz }' >> "$results"
        else
          echo "start-cpu $2 missing" >> "$results"  # keeps the pairs in step
        fi ;;
      *) echo "$line" >> "$results" ;;
    esac
  done
"$wineserver" -w

# median: the median of the numbers on standard input ("missing" left out).
median() {
  { grep -E '^-?[0-9.]+$' || true; } | sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
# values METRIC LABEL [FIELD]: the figures of one metric and program, in run order.
values() { awk -v m="$1" -v l="$2" -v f="${3:-3}" '$1 == m && $2 == l { print $f }' "$results"; }
# pair_ratios METRIC A B: A/B for each interleaved pair, in run order.
pair_ratios() { paste <(values "$1" "$2") <(values "$1" "$3") | awk '$1 + 0 > 0 && $2 + 0 > 0 { print $1 / $2 }'; }

paint_player=$(values paint player | median)
paint_window=$(values paint window | median)
paint_ratio=$(pair_ratios paint player window | median)
start_cpu_player=$(values start-cpu player | median)
start_cpu_window=$(values start-cpu window | median)
start_cpu_ratio=$(pair_ratios start-cpu player window | median)
idle_player=$(values idle-working-set player | median)
idle_window=$(values idle-working-set window | median)
sound_player=$(values sound player 4 | median)
sound_tone=$(values sound tone 4 | median)
data_player=$(values sound player | median)
data_tone=$(values sound tone | median)
cpu_player=$(values cpu player | median)
cpu_tone=$(values cpu tone | median)
cpu_difference=$(paste <(values cpu player) <(values cpu tone) | awk 'NF == 2 { print $1 - $2 }' | median)
play_player=$(values playing-working-set player | median)
play_tone=$(values playing-working-set tone | median)

echo
echo "measure-player: medians ($(values paint player | wc -l) start-up pairs, $(values cpu player | wc -l) playback pairs; raw figures in $results)"
awk -v pp="$paint_player" -v pw="$paint_window" -v pr="$paint_ratio" \
    -v cpp="$start_cpu_player" -v cpw="$start_cpu_window" -v cpr="$start_cpu_ratio" \
    -v ip="$idle_player" -v iw="$idle_window" \
    -v sp="$sound_player" -v st="$sound_tone" -v dp="$data_player" -v dt="$data_tone" \
    -v cp="$cpu_player" -v ct="$cpu_tone" -v cd="$cpu_difference" \
    -v wp="$play_player" -v wt="$play_tone" 'BEGIN {
  printf "  %-34s %10s %10s   %s\n", "", "player", "reference", "player against reference"
  printf "  %-34s %10.1f %10.1f   %.3fx (median of pair ratios; bare window)\n", "start to first paint, ms", pp, pw, pr
  printf "  %-34s %10.0f %10.0f   %.3fx (median of pair ratios; bare window)\n", "CPU time to first paint, ms", cpp, cpw, cpr
  printf "  %-34s %10.1f %10.1f   %+.1f MiB (bare window)\n", "working set after start, MiB", ip / 1024, iw / 1024, (ip - iw) / 1024
  printf "  %-34s %10.1f %10.1f   %+.1f ms (bare tone)\n", "click to first loud sample, ms", sp, st, sp - st
  printf "  %-34s %10.1f %10.1f   %+.1f ms (bare tone)\n", "click to first captured data, ms", dp, dt, dp - dt
  printf "  %-34s %10.2f %10.2f   %+.2f points (median of pair differences; bare tone)\n", "CPU while playing, % of a core", cp, ct, cd
  printf "  %-34s %10.1f %10.1f   %+.1f MiB (bare tone); %+.1f MiB against the bare window\n", "working set while playing, MiB", wp / 1024, wt / 1024, (wp - wt) / 1024, (wp - iw) / 1024
}'
