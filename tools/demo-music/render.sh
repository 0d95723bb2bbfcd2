#!/usr/bin/env bash
# Renders the demo music: score1.txt .. score5.txt beside this script become
# music1.mp3 .. music5.mp3 in OUTDIR. Each note is a plucked string (sox's
# pluck synth) with a short fade; the notes are joined, given a little
# reverb, normalized and encoded with lame. sox runs in repeatable mode, so
# the same scores always give the same files.
#
# usage: tools/demo-music/render.sh OUTDIR
set -euo pipefail

out=${1:?usage: render.sh OUTDIR}
scores=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Prints "seconds frequency" for each note of a score ("seconds 0" for a rest).
notes() {
  awk '
    BEGIN { split("9 11 0 2 4 5 7", step, " ") }  # semitones of A..G above C
    /^#/ || NF == 0 { next }
    $1 == "tempo" { beat = 60 / $2; next }
    {
      seconds = $2 * beat
      if ($1 == "R") { printf "%.4f 0\n", seconds; next }
      if (!match($1, /^[A-G][#b]?[0-9]$/)) { print "bad note: " $0 > "/dev/stderr"; exit 1 }
      semitone = step[index("ABCDEFG", substr($1, 1, 1))]
      accidental = substr($1, 2, 1)
      semitone += (accidental == "#") - (accidental == "b")
      midi = 12 * (substr($1, length($1)) + 1) + semitone
      printf "%.4f %.2f\n", seconds, 440 * 2 ^ ((midi - 69) / 12)
    }' "$1"
}

for track in 1 2 3 4 5; do
  parts=()
  index=0
  while read -r seconds frequency; do
    index=$((index + 1))
    part="$work/$(printf '%03d' "$index").wav"
    if [ "$frequency" = 0 ]; then
      sox -R -n -r 44100 -c 2 -b 16 "$part" trim 0 "$seconds"
    else
      sox -R -n -r 44100 -c 2 -b 16 "$part" synth "$seconds" pluck "$frequency" fade 0 "$seconds" 0.04
    fi
    parts+=("$part")
  done < <(notes "$scores/score$track.txt")
  sox -R "${parts[@]}" "$work/piece.wav" pad 0 1 reverb 25 gain -n -3
  lame --quiet -b 128 "$work/piece.wav" "$work/music$track.mp3"
  mv "$work/music$track.mp3" "$out/music$track.mp3"
  rm -f "$work"/*.wav
done
