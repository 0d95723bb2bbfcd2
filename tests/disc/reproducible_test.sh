#!/usr/bin/env bash
# The parts of a reproducible disc that can regress cheaply (the whole check,
# two builds in two folders, is tools/check-reproducible.sh):
# - the PE time stamps of the built programs equal the chosen epoch
#   (tools/source-date-epoch.sh: SOURCE_DATE_EPOCH, else the commit's time);
# - two runs of tools/make-disc over the same inputs, in other folders and at
#   other times, give the same image, byte for byte, for the demo disc and a
#   publisher's; the image's dates are the epoch, except the publisher's
#   files, which keep their own.
#
# usage: reproducible_test.sh BUILD_DIR...   (win32 and win64 build trees)
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
make_disc="$source_dir/tools/make-disc"
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
epoch=$("$source_dir/tools/source-date-epoch.sh")

# pe_time FILE: the time stamp in the PE file header (COFF TimeDateStamp).
pe_time() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tu4 -j$((header + 8)) -N4 "$1" | tr -d ' '
}

for build_dir in "$@"; do
  for program in launcher/SETUP.exe player/Velk.exe tools/demo-installer/demo_installer.exe; do
    file="$build_dir/$program"
    if [ ! -f "$file" ]; then
      fail "$file is missing; build it first"
      continue
    fi
    stamped=$(pe_time "$file")
    [ "$stamped" = "$epoch" ] ||
      fail "$file: PE time stamp $stamped ($(date -u -d "@$stamped")), not the epoch $epoch" \
        "($(date -u -d "@$epoch")); built at another commit or SOURCE_DATE_EPOCH? build it again"
  done
done

# Inputs, each in two folders: stand-in programs copied at different times
# (make-disc gives them the epoch), the publisher's content copied with its
# own dates.
make_inputs() {
  local dir=$1
  mkdir -p "$dir/programs/launcher" "$dir/programs/player" "$dir/programs/tools/demo-installer"
  echo "stand-in launcher" > "$dir/programs/launcher/SETUP.exe"
  echo "stand-in player" > "$dir/programs/player/Velk.exe"
  echo "stand-in demo installer" > "$dir/programs/tools/demo-installer/demo_installer.exe"
  cp -a "$work/publisher" "$dir/publisher"
}
pub="$work/publisher"
mkdir -p "$pub/jt/Data" "$pub/ft" "$pub/music"
echo "simplified installer" > "$pub/jt/setup.exe"
echo "simplified data" > "$pub/jt/Data/read me.txt"
echo "traditional installer" > "$pub/ft/Setup.exe"
sox -n -r 44100 -c 2 -b 16 "$work/tone.wav" synth 1 sine 440 vol 0.5
for track in 1 2 3 4 5; do lame --quiet -b 96 "$work/tone.wav" "$pub/music/music$track.mp3"; done
publisher_date=981158400 # 3 February 2001
find "$pub" -exec touch -d "@$publisher_date" {} +
make_inputs "$work/first"
sleep 1.1
make_inputs "$work/second"

# first_differences A B: the first offsets at which the files differ.
first_differences() {
  { cmp -l "$1" "$2" 2>/dev/null || true; } | head -n 5 | awk '{ printf "%s%d", (NR > 1 ? ", " : ""), $1 - 1 }'
}

# Discs: "case|options after --programs (INPUTS stands for the inputs' folder)".
cases=(
  "demo disc|"
  "publisher's disc|--simplified-installer INPUTS/publisher/jt --traditional-installer INPUTS/publisher/ft --music INPUTS/publisher/music"
)
for row in "${cases[@]}"; do
  IFS='|' read -r case_name options <<< "$row"
  for run in first second; do
    # shellcheck disable=SC2086  # the options are words without blanks
    "$make_disc" --programs "$work/$run/programs" ${options//INPUTS/$work/$run} \
      --output "$work/$run/out" >/dev/null
    sleep 1.1
  done
  if ! cmp -s "$work/first/out/disc.iso" "$work/second/out/disc.iso"; then
    fail "$case_name: two runs over the same inputs give different images; first differing offsets:" \
      "$(first_differences "$work/first/out/disc.iso" "$work/second/out/disc.iso")"
  fi
  # The image's dates: the epoch, or the publisher's own.
  xorriso -osirrox on -read_fs norock -indev "$work/first/out/disc.iso" -extract / "$work/read-back" 2>/dev/null
  while read -r seconds name; do
    expected=$epoch
    case $name in
      ./setupjt* | ./Setupft* | ./music*) [ -z "$options" ] || expected=$publisher_date ;;
    esac
    [ "${seconds%.*}" = "$expected" ] ||
      fail "$case_name: $name is dated $(date -u -d "@${seconds%.*}"), not $(date -u -d "@$expected")"
  done < <(cd "$work/read-back" && find . -printf '%T@ %p\n')
  created=$(xorriso -indev "$work/first/out/disc.iso" -pvd_info 2>/dev/null | sed -n 's/^Creation Time: *//p')
  [ "${created:0:14}" = "$(date -u -d "@$epoch" +%Y%m%d%H%M%S)" ] ||
    fail "$case_name: the volume was created $created, not at the epoch $epoch"
  chmod -R u+w "$work/read-back" "$work/first/out" "$work/second/out"
  rm -rf "$work/read-back" "$work/first/out" "$work/second/out"
done

if [ "$failures" -gt 0 ]; then
  echo "reproducible_test: $failures failure(s)" >&2
  exit 1
fi
echo "reproducible_test: all cases passed"
