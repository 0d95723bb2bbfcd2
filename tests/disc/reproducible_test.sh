#!/usr/bin/env bash
# The parts of a reproducible disc that can regress cheaply (the whole check,
# two builds in two folders, is tools/check-reproducible.sh):
# - tools/source-date-epoch.sh gives the commit's time, 0 only where the
#   source has no repository of its own, and fails with Git's reason where
#   Git refuses the repository;
# - the PE time stamps of the built programs equal the chosen epoch
#   (tools/source-date-epoch.sh: SOURCE_DATE_EPOCH, else the commit's time);
# - two runs of tools/make-disc over the same inputs, in other folders and at
#   other times, give the same image, byte for byte, for the demo disc and a
#   publisher's, whether the publisher's files were copied with their dates
#   or afresh; the image's dates are the epoch, except the publisher's
#   files dated before it, which keep their own.
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

# The epoch of a source folder: "case|where the source is|its epoch, or the
# message on stderr". Each source is a copy of tools/source-date-epoch.sh;
# Git reads no configuration of this machine's or user's.
commit_time=1234567890
epoch_cases=(
  "no repository|plain|0"
  "copy inside another repository|inside|0"
  "own repository|own|$commit_time"
  "repository of another user|foreign|detected dubious ownership"
)
# epoch_source DIR KIND: a source folder DIR of that kind.
epoch_source() {
  local dir=$1 kind=$2 repository=$1
  [ "$kind" != inside ] || { repository=$dir; dir=$dir/copy; }
  mkdir -p "$dir/tools"
  cp "$source_dir/tools/source-date-epoch.sh" "$dir/tools/"
  [ "$kind" != plain ] || return 0
  git -C "$repository" init -q
  git -C "$repository" add -A
  GIT_COMMITTER_DATE="@$commit_time +0000" git -C "$repository" -c user.name=test -c user.email=test@example.com \
    commit -q -m source
  [ "$kind" != foreign ] || chown -R 65534:65534 "$repository"
}
mkdir -p "$work/home"
for row in "${epoch_cases[@]}"; do
  IFS='|' read -r case_name kind expected <<< "$row"
  if [ "$kind" = foreign ] && [ "$(id -u)" != 0 ]; then
    echo "reproducible_test: SKIPPED \"$case_name\": only root can give a checkout to another user" >&2
    continue
  fi
  dir="$work/epoch-$kind"
  epoch_source "$dir" "$kind"
  if [ -d "$dir/copy" ]; then dir=$dir/copy; fi
  answer=$(env -u SOURCE_DATE_EPOCH HOME="$work/home" GIT_CONFIG_NOSYSTEM=1 \
             "$dir/tools/source-date-epoch.sh" 2>"$work/stderr") || answer="failed"
  if [[ $expected =~ ^[0-9]+$ ]]; then
    [ "$answer" = "$expected" ] ||
      fail "epoch, $case_name: got \"$answer\" ($(cat "$work/stderr")), not $expected"
  else
    [ "$answer" = failed ] || fail "epoch, $case_name: got $answer, not a failure"
    grep -qF "$expected" "$work/stderr" ||
      fail "epoch, $case_name: expected \"$expected\" on stderr, got: $(cat "$work/stderr")"
  fi
done

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

# make_inputs DIR DATES: stand-in programs made now (make-disc gives them
# the epoch), and the publisher's content copied with its own dates (DATES
# "kept") or dated when copied, as a checkout or a plain copy dates it
# ("fresh").
make_inputs() {
  local dir=$1 dates=$2
  mkdir -p "$dir/programs/launcher" "$dir/programs/player" "$dir/programs/tools/demo-installer"
  echo "stand-in launcher" > "$dir/programs/launcher/SETUP.exe"
  echo "stand-in player" > "$dir/programs/player/Velk.exe"
  echo "stand-in demo installer" > "$dir/programs/tools/demo-installer/demo_installer.exe"
  if [ "$dates" = kept ]; then
    cp -a "$work/publisher" "$dir/publisher"
  else
    cp -R "$work/publisher" "$dir/publisher"
  fi
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

# first_differences A B: the first offsets at which the files differ.
first_differences() {
  { cmp -l "$1" "$2" 2>/dev/null || true; } | head -n 5 | awk '{ printf "%s%d", (NR > 1 ? ", " : ""), $1 - 1 }'
}

# Discs: "case|the publisher's dates (kept/fresh)|options after --programs
# (INPUTS stands for the inputs' folder)". Each run has its own copy of the
# inputs, made at another time.
publisher_options="--simplified-installer INPUTS/publisher/jt --traditional-installer INPUTS/publisher/ft --music INPUTS/publisher/music"
cases=(
  "demo disc|kept|"
  "publisher's disc|kept|$publisher_options"
  "publisher's disc copied afresh|fresh|$publisher_options"
)
for row in "${cases[@]}"; do
  IFS='|' read -r case_name dates options <<< "$row"
  for run in first second; do
    rm -rf "$work/$run"
    make_inputs "$work/$run" "$dates"
    sleep 1.1
  done
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
      ./setupjt* | ./Setupft* | ./music*) [ -z "$options" ] || [ "$dates" = fresh ] || expected=$publisher_date ;;
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
