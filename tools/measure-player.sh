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
#                         SECONDS of playback, player against two tone
#                         programs: the floor, one long buffer that the device
#                         loops (bare_tone.exe), and the player's former scheme
#                         of four buffers of an eighth of a second refilled by
#                         a thread (ring_tone.exe); beside it the process's
#                         context switches (its threads' wake-ups) and the CPU
#                         time of the prefix's wineserver in the same span
#   working set playing   at the end of that playback
#   switch and Stop       the player only: a click on the second track while
#                         the first plays, then on Stop, each timed until the
#                         player's window has carried it out
#
# With --compare EXE, a second Velk.exe (say, the one before a change) plays
# in the same rounds, and its figures are printed beside the player's: the
# way to compare two players on a machine whose load changes.
#
# Prepares its own Wine prefix inside the build tree (like tools/run-e2e.sh):
# Xvfb when there is no display, a virtual desktop, drive E: holding the
# programs and a 45-second benchmark track as music1.mp3..music5.mp3, and an
# ALSA file sink in the run's own HOME. Pairs and rounds are interleaved and
# the order within them rotates; the machine may be shared, so single
# figures are noisy and the differences within rounds are what to compare.
#
# usage: tools/measure-player.sh BUILD_DIR [--player VELK_EXE] [--paint-pairs N]
#                                [--play-rounds N] [--seconds S] [--compare VELK_EXE]
#   BUILD_DIR  a win64 or win32 build tree (the bench programs and, by default,
#              the player); win32 measures the 32-bit programs against 32-bit
#              references
set -euo pipefail

build_dir=$(cd "${1:?usage: measure-player.sh BUILD_DIR [--player VELK_EXE] [--paint-pairs N] [--play-rounds N] [--seconds S] [--compare VELK_EXE]}" && pwd)
shift
source_dir=$(cd "$(dirname "$0")/.." && pwd)
player_exe="$build_dir/player/Velk.exe"
compared_exe=""
paint_pairs=11
play_rounds=3
seconds=20
while [ $# -gt 0 ]; do
  case "$1" in
    --player) player_exe=$(realpath "$2"); shift 2 ;;
    --compare) compared_exe=$(realpath "$2"); shift 2 ;;
    --paint-pairs) paint_pairs=$2; shift 2 ;;
    --play-rounds|--play-pairs) play_rounds=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    *) echo "measure-player: unknown argument $1" >&2; exit 2 ;;
  esac
done
bench_dir="$build_dir/tools/bench"
for file in "$player_exe" "$bench_dir/bench_driver.exe" "$bench_dir/bare_window.exe" "$bench_dir/bare_tone.exe" "$bench_dir/ring_tone.exe"; do
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
compared_argument=()
if [ -n "$compared_exe" ]; then
  cp "$compared_exe" "$run_dir/app/Velk-compared.exe"
  compared_argument=('E:\Velk-compared.exe')
fi
cp "$bench_dir/bare_window.exe" "$bench_dir/bare_tone.exe" "$bench_dir/ring_tone.exe" "$run_dir/app/"

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

# wineserver_pid: the wineserver of this run's prefix.
wineserver_pid() {
  local proc program
  for proc in /proc/[0-9]*; do
    program=""
    IFS= read -r -d '' program 2>/dev/null < "$proc/cmdline" || true
    case "${program##*/}" in wineserver*) ;; *) continue ;; esac
    grep -qzxF "WINEPREFIX=$WINEPREFIX" 2>/dev/null < "$proc/environ" || continue
    echo "${proc#/proc/}"
    return 0
  done
  return 1
}

# cpu_ticks PID: user + system time of all its threads, in clock ticks.
cpu_ticks() {
  local stat rest
  stat=$(cat 2>/dev/null "/proc/$1/stat") || return 1
  rest=${stat##*) }  # fields after the command name, from field 3 (state) on
  set -- $rest
  echo $((${12} + ${13}))
}

# cpu_sample PID: "WALL_SECONDS CPU_TICKS CONTEXT_SWITCHES SERVER_TICKS": the
# process's CPU time, the context switches of all its threads (each wait
# that blocks is one; so is each time the scheduler takes the core away),
# and the wineserver's CPU time (-1 when it cannot be read).
cpu_sample() {
  local ticks switches server=-1 server_pid
  ticks=$(cpu_ticks "$1") || return 1
  switches=$(cat /proc/"$1"/task/*/status 2>/dev/null |
    awk '/^(voluntary|nonvoluntary)_ctxt_switches:/ { n += $2 } END { print n + 0 }')
  if server_pid=$(wineserver_pid) && server=$(cpu_ticks "$server_pid"); then :; else server=-1; fi
  echo "$(date +%s.%N) $ticks $switches $server"
}

results="$run_dir/results.txt"
: > "$results"
declare -A cpu_pid cpu_begin
exe_of() {
  case "$1" in
    player) echo Velk.exe ;; compared) echo Velk-compared.exe ;;
    window) echo bare_window.exe ;; tone) echo bare_tone.exe ;; ring) echo ring_tone.exe ;;
  esac
}

echo "measure-player: $paint_pairs start-up pairs, then $play_rounds playback rounds of ${seconds} s"
"$wine" explorer /desktop=measure,1024x768 "$(to_windows "$bench_dir/bench_driver.exe")" \
  'E:\Velk.exe' 'E:\bare_window.exe' 'E:\bare_tone.exe' 'E:\ring_tone.exe' \
  "$(to_windows "$run_dir/capture.raw")" "$paint_pairs" "$play_rounds" "$seconds" "${compared_argument[@]}" 2>/dev/null |
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
          echo "${cpu_begin[$2]} $end" | awk -v label="$2" -v hz="$clock_ticks" '{
            seconds = $5 - $1
            printf "cpu %s %.3f\n", label, 100 * ($6 - $2) / hz / seconds
            printf "switches %s %.1f\n", label, ($7 - $3) / seconds
            if ($4 >= 0 && $8 >= 0) printf "server-cpu %s %.3f\n", label, 100 * ($8 - $4) / hz / seconds
          }' >> "$results"
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
cpu_ring=$(values cpu ring | median)
# differences: player - tone and ring - tone within each round, in run order.
cpu_difference=$(paste <(values cpu player) <(values cpu tone) | awk 'NF == 2 { print $1 - $2 }' | median)
ring_difference=$(paste <(values cpu ring) <(values cpu tone) | awk 'NF == 2 { print $1 - $2 }' | median)
switches_player=$(values switches player | median)
switches_tone=$(values switches tone | median)
switches_ring=$(values switches ring | median)
server_player=$(values server-cpu player | median)
server_tone=$(values server-cpu tone | median)
server_ring=$(values server-cpu ring | median)
play_player=$(values playing-working-set player | median)
play_tone=$(values playing-working-set tone | median)
switch_player=$(values switch player | median)
stop_player=$(values stop player | median)

echo
echo "measure-player: medians ($(values paint player | wc -l) start-up pairs, $(values cpu player | wc -l) playback rounds; raw figures in $results)"
awk -v pp="$paint_player" -v pw="$paint_window" -v pr="$paint_ratio" \
    -v cpp="$start_cpu_player" -v cpw="$start_cpu_window" -v cpr="$start_cpu_ratio" \
    -v ip="$idle_player" -v iw="$idle_window" \
    -v sp="$sound_player" -v st="$sound_tone" -v dp="$data_player" -v dt="$data_tone" \
    -v cp="$cpu_player" -v ct="$cpu_tone" -v cr="$cpu_ring" -v cd="$cpu_difference" -v rd="$ring_difference" \
    -v xp="$switches_player" -v xt="$switches_tone" -v xr="$switches_ring" \
    -v vp="$server_player" -v vt="$server_tone" -v vr="$server_ring" \
    -v wp="$play_player" -v wt="$play_tone" -v sw="$switch_player" -v so="$stop_player" 'BEGIN {
  printf "  %-34s %10s %10s   %s\n", "", "player", "reference", "player against reference"
  printf "  %-34s %10.1f %10.1f   %.3fx (median of pair ratios; bare window)\n", "start to first paint, ms", pp, pw, pr
  printf "  %-34s %10.0f %10.0f   %.3fx (median of pair ratios; bare window)\n", "CPU time to first paint, ms", cpp, cpw, cpr
  printf "  %-34s %10.1f %10.1f   %+.1f MiB (bare window)\n", "working set after start, MiB", ip / 1024, iw / 1024, (ip - iw) / 1024
  printf "  %-34s %10.1f %10.1f   %+.1f ms (bare tone)\n", "click to first loud sample, ms", sp, st, sp - st
  printf "  %-34s %10.1f %10.1f   %+.1f ms (bare tone)\n", "click to first captured data, ms", dp, dt, dp - dt
  printf "  %-34s %10.2f %10.2f   %+.2f points (median of round differences; bare tone, one long buffer)\n", "CPU while playing, % of a core", cp, ct, cd
  printf "  %-34s %10s %10.2f   %+.2f points (ring tone, 4 x 1/8 s, against bare tone)\n", "  floor of the former scheme", "", cr, rd
  printf "  %-34s %10.1f %10.1f   ring tone %.1f\n", "context switches while playing, /s", xp, xt, xr
  printf "  %-34s %10.2f %10.2f   ring tone %.2f\n", "wineserver CPU while playing, %", vp, vt, vr
  printf "  %-34s %10.1f %10.1f   %+.1f MiB (bare tone); %+.1f MiB against the bare window\n", "working set while playing, MiB", wp / 1024, wt / 1024, (wp - wt) / 1024, (wp - iw) / 1024
  printf "  %-34s %10.2f\n", "click on another track, ms", sw
  printf "  %-34s %10.2f\n", "click on Stop, ms", so
}'
if [ -n "$compared_exe" ]; then
  echo
  echo "measure-player: the compared player ($compared_exe), medians of the same rounds"
  paste <(values cpu compared) <(values cpu tone) | awk 'NF == 2 { print $1 - $2 }' > "$run_dir/compared-difference.txt"
  awk -v cp="$(values cpu compared | median)" -v cd="$(median < "$run_dir/compared-difference.txt")" \
      -v pd="$cpu_difference" \
      -v sp="$(values sound compared 4 | median)" -v xp="$(values switches compared | median)" \
      -v vp="$(values server-cpu compared | median)" -v wp="$(values playing-working-set compared | median)" \
      -v sw="$(values switch compared | median)" -v so="$(values stop compared | median)" 'BEGIN {
  printf "  %-34s %10.1f\n", "click to first loud sample, ms", sp
  printf "  %-34s %10.2f   %+.2f points against bare tone (the player: %+.2f)\n", "CPU while playing, % of a core", cp, cd, pd
  printf "  %-34s %10.1f\n", "context switches while playing, /s", xp
  printf "  %-34s %10.2f\n", "wineserver CPU while playing, %", vp
  printf "  %-34s %10.1f\n", "working set while playing, MiB", wp / 1024
  printf "  %-34s %10.2f\n", "click on another track, ms", sw
  printf "  %-34s %10.2f\n", "click on Stop, ms", so
}'
fi
