#!/usr/bin/env bash
# tools/make-disc on the demo content, on a publisher's content, on
# publisher content with a file missing or a track the player cannot play,
# and with a track whose format changes mid-file. Stand-in program files with
# distinct contents show that each file lands under its own name; the image
# is read back through its Joliet tree, as Windows reads it.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
make_disc="$source_dir/tools/make-disc"
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

programs="$work/programs"
mkdir -p "$programs/launcher" "$programs/player" "$programs/tools/demo-installer"
echo "stand-in launcher" > "$programs/launcher/SETUP.exe"
echo "stand-in player" > "$programs/player/Velk.exe"
echo "stand-in demo installer" > "$programs/tools/demo-installer/demo_installer.exe"

joliet_files() {
  xorriso -read_fs norock -indev "$1" -find / -type f 2>/dev/null | sed "s/^'//; s/'\$//" | sort
}

# Checks the image DISC/disc.iso against a table of "Joliet path|file it must
# equal" rows ("" when only the name is checked): the image lists exactly
# these files, and each listed source arrives unchanged.
check_disc() {
  local disc=$1 case_name=$2
  shift 2
  local row name from read_back="$disc/read-back"
  printf '%s\n' "$@" | cut -d'|' -f1 | sort > "$work/expected.list"
  joliet_files "$disc/disc.iso" > "$work/joliet.list"
  diff "$work/expected.list" "$work/joliet.list" >&2 ||
    fail "$case_name: the image's Joliet names differ from the expected names (diff above)"
  xorriso -osirrox on -read_fs norock -indev "$disc/disc.iso" -extract / "$read_back" 2>/dev/null
  for row in "$@"; do
    name=${row%%|*}
    from=${row#*|}
    if [ -n "$from" ] && ! cmp -s "$from" "$read_back$name"; then
      fail "$case_name: $name does not hold $from"
    fi
  done
  for line in '[autorun]' 'open=SETUP.exe' 'icon=SETUP.exe'; do
    tr -d '\r' < "$read_back/autorun.inf" | grep -qxF "$line" ||
      fail "$case_name: autorun.inf lacks the line $line"
  done
}

# The demo disc: demo installer in both editions, music from the scores.
"$make_disc" --programs "$programs" --output "$work/demo" >/dev/null
check_disc "$work/demo" "demo disc" \
  "/SETUP.exe|$programs/launcher/SETUP.exe" \
  "/Velk.exe|$programs/player/Velk.exe" \
  "/autorun.inf|" \
  "/music1.mp3|" "/music2.mp3|" "/music3.mp3|" "/music4.mp3|" "/music5.mp3|" \
  "/setupjt/setup.exe|$programs/tools/demo-installer/demo_installer.exe" \
  "/Setupft/setup.exe|$programs/tools/demo-installer/demo_installer.exe"

# A disc made inside the programs' build tree, as the end-to-end tests make
# theirs: make-disc takes only the programs from that tree.
"$make_disc" --programs "$programs" --output "$programs/e2e-run/disc" >/dev/null 2>"$work/stderr" ||
  fail "disc inside the programs' build tree: make-disc failed: $(cat "$work/stderr")"
rm -rf "$programs/e2e-run"

# The demo music: five different pieces of 20 to 40 seconds, rendered the
# same way every time.
"$source_dir/tools/demo-music/render.sh" "$work/rendered-again"
for track in 1 2 3 4 5; do
  music="$work/demo/read-back/music$track.mp3"
  lame --quiet --decode "$music" "$work/decoded.wav"
  seconds=$(soxi -D "$work/decoded.wav")
  awk -v s="$seconds" 'BEGIN { exit !(s >= 20 && s <= 40) }' ||
    fail "demo music$track.mp3 lasts $seconds s, not 20 to 40 s"
  cmp -s "$music" "$work/rendered-again/music$track.mp3" ||
    fail "demo music$track.mp3 differs when rendered again"
done
distinct=$(md5sum "$work"/demo/read-back/music*.mp3 | cut -d' ' -f1 | sort -u | wc -l)
[ "$distinct" = 5 ] || fail "the demo music has $distinct different pieces, not 5"

# A publisher's disc: installer folders with further files under long,
# mixed-case and Chinese names, its own music, one track given alone.
pub="$work/publisher"
mkdir -p "$pub/jt/Data Files" "$pub/ft" "$pub/music" "$pub/empty"
echo "simplified installer" > "$pub/jt/setup.exe"
echo "simplified data" > "$pub/jt/Data Files/安装说明 Read Me First (Simplified).txt"
echo "traditional installer" > "$pub/ft/Setup.exe"
echo "traditional data" > "$pub/ft/LongInstallerPackageName.cab"
# tone FILE FREQUENCY RATE [LAME-OPTIONS...]: a one-second MP3 tone.
tone() {
  local file=$1 frequency=$2 rate=$3
  shift 3
  sox -n -r "$rate" -c 2 -b 16 "$work/tone.wav" synth 1 sine "$frequency" vol 0.5
  lame --quiet "$@" "$work/tone.wav" "$file"
}
for track in 1 2 3 4 5; do tone "$pub/music/music$track.mp3" $((200 * track)) 44100 -b 96; done
tone "$pub/Track Two.mp3" 1500 44100 -b 96
publisher=(--programs "$programs" --simplified-installer "$pub/jt" --traditional-installer "$pub/ft"
  --music "$pub/music")
"$make_disc" "${publisher[@]}" --music2 "$pub/Track Two.mp3" --output "$work/published" >/dev/null
check_disc "$work/published" "publisher disc" \
  "/SETUP.exe|$programs/launcher/SETUP.exe" \
  "/Velk.exe|$programs/player/Velk.exe" \
  "/autorun.inf|" \
  "/music1.mp3|$pub/music/music1.mp3" \
  "/music2.mp3|$pub/Track Two.mp3" \
  "/music3.mp3|$pub/music/music3.mp3" \
  "/music4.mp3|$pub/music/music4.mp3" \
  "/music5.mp3|$pub/music/music5.mp3" \
  "/setupjt/setup.exe|$pub/jt/setup.exe" \
  "/setupjt/Data Files/安装说明 Read Me First (Simplified).txt|$pub/jt/Data Files/安装说明 Read Me First (Simplified).txt" \
  "/Setupft/Setup.exe|$pub/ft/Setup.exe" \
  "/Setupft/LongInstallerPackageName.cab|$pub/ft/LongInstallerPackageName.cab"

# A track whose sample rate changes mid-file plays, with a warning naming it.
tone "$work/part1.mp3" 500 44100 -b 128 -t
tone "$work/part2.mp3" 700 22050 -b 64 -t
cat "$work/part1.mp3" "$work/part2.mp3" > "$pub/changing.mp3"
"$make_disc" "${publisher[@]}" --music4 "$pub/changing.mp3" --output "$work/changing" >/dev/null 2>"$work/stderr" ||
  fail "track changing its sample rate: make-disc failed: $(cat "$work/stderr")"
grep -qF "make-disc: $pub/changing.mp3: warning: sample rate changes from 44100 Hz to 22050 Hz" "$work/stderr" ||
  fail "track changing its sample rate: no warning, got: $(cat "$work/stderr")"
cmp -s "$pub/changing.mp3" "$work/changing/disc/music4.mp3" || fail "track changing its sample rate: not on the disc"

# Tracks the player cannot play: not MP3 at all, and one whose audio is
# mostly damaged (a tone followed by nine times as many junk bytes).
echo "a text file, not music" > "$pub/not-audio.mp3"
{ cat "$pub/music/music1.mp3"; head -c $((9 * $(stat -c %s "$pub/music/music1.mp3"))) < <(yes junk); } > "$pub/damaged.mp3"

# earlier_disc DIR: DIR holds an earlier disc (the demo disc's files and
# mark), which a refused or interrupted run must leave whole.
earlier_disc() {
  mkdir -p "$1"
  cp -a "$work/demo/disc" "$work/demo/disc.iso" "$1/"
  if [ -e "$work/demo/.make-disc" ]; then cp -a "$work/demo/.make-disc" "$1/"; fi
}
# fingerprint DIR: every name under DIR, and every file's contents.
fingerprint() {
  (cd "$1" && find . -printf '%y %p\n' | sort && find . -type f -exec sha256sum {} + | sort)
}
# whole_disc DIR: DIR holds make-disc's mark, disc/ and disc.iso, and the
# image holds exactly the files of disc/; prints what is wrong.
whole_disc() {
  local names
  names=$(ls -A "$1" | paste -sd' ')
  if [ "$names" != ".make-disc disc disc.iso" ]; then
    echo "the output holds $names"
    return 0
  fi
  rm -rf "$work/whole"
  xorriso -osirrox on -read_fs norock -indev "$1/disc.iso" -extract / "$work/whole" 2>/dev/null ||
    { echo "its image cannot be read"; return 0; }
  diff -r "$1/disc" "$work/whole" >/dev/null || echo "its image differs from its tree disc/"
  chmod -R u+w "$work/whole"
}

# Missing or refused files and output folders: "case|what the output
# holds besides an earlier disc|options after the publisher's|message on
# stderr". Each run writes over an earlier disc, which must stay as it was,
# and leaves nothing else behind.
mkdir -p "$work/music-without-3" "$work/no-player/launcher" "$work/failing-tools"
cp "$pub/music"/music{1,2,4,5}.mp3 "$work/music-without-3/"
cp "$programs/launcher/SETUP.exe" "$work/no-player/launcher/"
printf '#!/bin/sh\nexit 1\n' > "$work/failing-tools/xorriso"
chmod +x "$work/failing-tools/xorriso"
out="$work/bad/disc"
bad_cases=(
  "track missing from the music folder||--music $work/music-without-3|missing music3.mp3 in $work/music-without-3"
  "track given alone is absent||--music4 $pub/absent.mp3|missing absent.mp3 in $pub"
  "simplified installer folder without setup.exe||--simplified-installer $pub/empty|missing setup.exe in $pub/empty"
  "traditional installer folder absent||--traditional-installer $pub/absent|missing setup.exe in $pub/absent"
  "player not built||--programs $work/no-player|missing Velk.exe in $work/no-player/player"
  "image cannot be written||--path-to-failing-xorriso|xorriso could not write the image"
  "track that is not MP3||--music3 $pub/not-audio.mp3|$pub/not-audio.mp3: not an MP3 file"
  "track mostly damaged||--music5 $pub/damaged.mp3|$pub/damaged.mp3: only"
  "output holds the publisher's notes|notes||the output folder $out holds what make-disc did not make: notes.txt"
  "output holds a disc/ and disc.iso make-disc did not make|unmarked||the output folder $out holds what make-disc did not make: disc, disc.iso"
  "output is the music folder||--music $out|the output $out is the input --music $out"
  "output holds the music folder|music|--music $out/music|the output $out holds the input --music $out/music"
  "output inside an installer folder||--simplified-installer $work/bad|the output $out lies inside the input --simplified-installer $work/bad"
  "output read-only|read-only||cannot write to the output folder $out: it is read-only"
)
# run_unprivileged COMMAND...: COMMAND as a user for whom a mode-555 folder is
# read-only: this one, or nobody (by setpriv) when this is root, which
# writes there anyway. Returns 77 when this is root and nobody cannot run
# make-disc and mp3check here.
nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
run_unprivileged() {
  if [ "$(id -u)" != 0 ]; then
    "$@"
    return
  fi
  chmod o+x "$work" "$work/bad"
  command -v setpriv >/dev/null &&
    "${nobody[@]}" test -x "$make_disc" -a -x "${MP3CHECK:-$source_dir/build/native/tools/mp3check/mp3check}" ||
    return 77
  SOURCE_DATE_EPOCH=$("$source_dir/tools/source-date-epoch.sh") "${nobody[@]}" "$@"
}
for row in "${bad_cases[@]}"; do
  IFS='|' read -r case_name holds options message <<< "$row"
  if [ -d "$work/bad" ]; then chmod -R u+w "$work/bad"; fi
  rm -rf "$work/bad"
  earlier_disc "$out"
  case $holds in
    notes) echo "the publisher's notes" > "$out/notes.txt" ;;
    unmarked) rm -f "$out/.make-disc"; echo "not an image" > "$out/disc.iso" ;;
    music) cp -a "$pub/music" "$out/music" ;;
    read-only) chmod 555 "$out" ;;
  esac
  fingerprint "$out" > "$work/before"
  path=$PATH
  if [ "$options" = --path-to-failing-xorriso ]; then
    options=""
    path="$work/failing-tools:$PATH"
  fi
  runner=()
  [ "$holds" != read-only ] || runner=(run_unprivileged)
  status=0
  # shellcheck disable=SC2086  # the options are words without blanks
  PATH=$path "${runner[@]}" "$make_disc" "${publisher[@]}" $options --output "$out" >/dev/null 2>"$work/stderr" ||
    status=$?
  if [ "$status" = 77 ]; then
    echo "make_disc_test: SKIPPED \"$case_name\": running as root, and the user nobody (setpriv) cannot run make-disc and mp3check from here" >&2
    continue
  fi
  [ "$status" != 0 ] || fail "$case_name: make-disc succeeded"
  grep -qF "make-disc: $message" "$work/stderr" ||
    fail "$case_name: expected \"make-disc: $message\", got: $(cat "$work/stderr")"
  [ "$(ls -A "$work/bad")" = disc ] || fail "$case_name: left behind: $(ls -A "$work/bad")"
  fingerprint "$out" | diff "$work/before" - >&2 || fail "$case_name: the earlier disc changed (diff above)"
done

# Output folders make-disc writes over: "case|what the output holds". The
# new disc replaces whatever disc is there and nothing else is left.
replaced_cases=(
  "empty folder|"
  "earlier disc|earlier"
  "earlier disc of make-disc before its mark|older"
)
for row in "${replaced_cases[@]}"; do
  IFS='|' read -r case_name holds <<< "$row"
  chmod -R u+w "$work/bad"
  rm -rf "$work/bad"
  mkdir -p "$out"
  case $holds in
    earlier) earlier_disc "$out" ;;
    older) earlier_disc "$out"; rm -f "$out/.make-disc" ;;
  esac
  if ! "$make_disc" "${publisher[@]}" --output "$out" >/dev/null 2>"$work/stderr"; then
    fail "$case_name: make-disc failed: $(cat "$work/stderr")"
    continue
  fi
  problem=$(whole_disc "$out")
  [ -z "$problem" ] || fail "$case_name: $problem"
  cmp -s "$pub/music/music1.mp3" "$out/disc/music1.mp3" || fail "$case_name: the disc is not the new one"
  [ "$(ls -A "$work/bad")" = disc ] || fail "$case_name: left behind: $(ls -A "$work/bad")"
done

# Interrupts at any moment leave the earlier disc or the new one whole, and
# nothing else: "case|program during which the interrupt comes|signal".
# A stand-in for that program sends the signal to make-disc's whole process
# group, as a terminal does, then runs the real program; the stand-in mv
# does so at the renames that put the disc in place (once the earlier disc/
# is gone from the output).
interrupt_cases=(
  "Ctrl-C while the image is written|xorriso|INT"
  "SIGTERM while the image is written|xorriso|TERM"
  "Ctrl-C between the renames|mv|INT"
  "SIGTERM between the renames|mv|TERM"
  "SIGHUP between the renames|mv|HUP"
)
for tool in xorriso mv; do
  real=$(command -v "$tool")
  condition='true'
  [ "$tool" != mv ] || condition='[ ! -e "$INTERRUPTED_OUTPUT/disc" ]'
  mkdir -p "$work/interrupting-$tool"
  cat > "$work/interrupting-$tool/$tool" <<STAND_IN
#!/usr/bin/env bash
if $condition; then kill -s "\$INTERRUPT_WITH" -- "-\$(ps -o pgid= -p \$\$ | tr -d ' ')"; fi
exec "$real" "\$@"
STAND_IN
  chmod +x "$work/interrupting-$tool/$tool"
done
for row in "${interrupt_cases[@]}"; do
  IFS='|' read -r case_name tool signal <<< "$row"
  chmod -R u+w "$work/bad"
  rm -rf "$work/bad"
  earlier_disc "$out"
  fingerprint "$out" > "$work/before"
  if PATH="$work/interrupting-$tool:$PATH" INTERRUPTED_OUTPUT=$out INTERRUPT_WITH=$signal \
       setsid -w "$make_disc" "${publisher[@]}" --output "$out" >/dev/null 2>"$work/stderr"; then
    fail "$case_name: make-disc was not interrupted"
  fi
  if ! fingerprint "$out" | cmp -s "$work/before" -; then
    problem=$(whole_disc "$out")
    [ -z "$problem" ] || fail "$case_name: neither the earlier disc nor the new one is whole: $problem"
  fi
  [ "$(ls -A "$work/bad")" = disc ] || fail "$case_name: left behind: $(ls -A "$work/bad")"
done

# Two runs into one output: the second waits for the first, saying so, and
# both leave one whole disc. Another holder of the output's lock first, then
# two runs at once.
chmod -R u+w "$work/bad"
rm -rf "$work/bad"
earlier_disc "$out"
flock "$out" sleep 2 &
holder=$!
sleep 0.5
"$make_disc" "${publisher[@]}" --output "$out" >/dev/null 2>"$work/stderr" ||
  fail "output locked by another run: make-disc failed: $(cat "$work/stderr")"
grep -qF "make-disc: waiting for another make-disc that is writing to $out" "$work/stderr" ||
  fail "output locked by another run: make-disc did not wait for it, got: $(cat "$work/stderr")"
wait "$holder"
rm -rf "$work/bad"
pids=()
for run in 1 2; do
  "$make_disc" "${publisher[@]}" --output "$out" >/dev/null 2>"$work/stderr$run" &
  pids+=($!)
done
for run in 1 2; do
  wait "${pids[run - 1]}" || fail "two runs at once: run $run failed: $(cat "$work/stderr$run")"
done
problem=$(whole_disc "$out")
[ -z "$problem" ] || fail "two runs at once: $problem"
[ "$(ls -A "$work/bad")" = disc ] || fail "two runs at once: left behind: $(ls -A "$work/bad")"

if [ "$failures" -gt 0 ]; then
  echo "make_disc_test: $failures failure(s)" >&2
  exit 1
fi
echo "make_disc_test: all cases passed"
