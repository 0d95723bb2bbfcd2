#!/usr/bin/env bash
# Writes the seed corpus of the MP3 stream parser fuzzer into OUTDIR
# (default: the corpus folder next to this script). Every file starts with
# the two bytes that choose the fuzzer's chunk sizes, then the stream: short
# files encoded by lame of each kind the unit tests read, and hand-made
# streams that are damaged or hold no playable frame. The output is
# deterministic; files the script does not write (regression inputs) are
# left alone.
set -euo pipefail

out=${1:-$(dirname "$0")/corpus}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# seed NAME CONTROL FILE: OUTDIR/NAME is the two control bytes CONTROL
# (printf escapes) followed by FILE.
seed() {
  { printf '%b' "$2"; cat "$3"; } > "$out/$1"
}

# bytes HEX...: the bytes the hex pairs spell.
bytes() {
  local hex
  for hex in "$@"; do printf '%b' "\\x$hex"; done
}

# zeros N: N zero bytes.
zeros() {
  head -c "$1" /dev/zero
}

# frames N HEX HEX HEX HEX LENGTH: N frames of LENGTH bytes with the given
# header and a silent body.
frames() {
  local i
  for ((i = 0; i < $1; i++)); do
    bytes "$2" "$3" "$4" "$5"
    zeros $(($6 - 4))
  done
}

# noise N SALT: N bytes (a multiple of 32) that look random but are the same
# on every run.
noise() {
  local i hex
  for ((i = 0; i < $1 / 32; i++)); do
    hex=$(printf '%s' "$2-$i" | sha256sum | cut -c1-64)
    printf '%b' "$(sed 's/../\\x&/g' <<< "$hex")"
  done
}

# syncsafe N: the four syncsafe size bytes of an ID3v2 header.
syncsafe() {
  bytes "$(printf %02x $((($1 >> 21) & 0x7F)))" "$(printf %02x $((($1 >> 14) & 0x7F)))" \
    "$(printf %02x $((($1 >> 7) & 0x7F)))" "$(printf %02x $(($1 & 0x7F)))"
}

# Lame-encoded: a quarter second of tone of each kind the unit tests read, cut
# to at most 4 KB so a file keeps its head, tags and, mostly, its last frame.
tone() {
  sox -R -n -r "$2" -c "$3" -b 16 "$work/$1.wav" synth 0.25 sine 440
}
encode() {
  local name=$1 wav=$2 control=$3
  shift 3
  lame --quiet "$@" "$work/$wav.wav" "$work/$name.mp3"
  head -c 4096 "$work/$name.mp3" > "$work/$name.cut"
  seed "lame-$name" "$control" "$work/$name.cut"
}
tone stereo44 44100 2
tone mono44 44100 1
tone stereo22 22050 2
tone mono8 8000 1
{ printf '\211PNG\r\n\032\n'; noise 512 cover; } > "$work/cover.png"

encode cbr_stereo_44k stereo44 '\x00\x00' -b 128
encode cbr_stereo_44k_notag stereo44 '\x0f\x03' -b 128 -t
encode vbr_stereo_44k stereo44 '\xff\xff' -V 4
encode cbr_mono_44k mono44 '\x06\x1a' -m m -b 64
encode mpeg2_stereo_22k stereo22 '\x00\x01' -b 64
encode mpeg25_mono_8k mono8 '\x1f\x59' -m m -b 32
encode id3v2_picture stereo44 '\x63\x07' -b 128 --id3v2-only --tt Picture --ti "$work/cover.png"
encode id3v1_trailer stereo44 '\x02\x40' -b 128 --id3v1-only --tt Trailer --ta Artist
tail -c 1500 "$work/id3v1_trailer.mp3" > "$work/id3v1_tail.cut"
seed lame-id3v1_trailer-end '\x10\x10' "$work/id3v1_tail.cut"

# For the decoder: short blocks (a tone burst after silence), CRC, no bit
# reservoir, dual channel, and intensity stereo switched on in the
# short-block stream by tests/fixtures/mp3_frames.py. (Mixed blocks are a
# bit flip away from the short ones.)
sox -R -n -r 44100 -c 2 -b 16 "$work/burst44.wav" synth 0.05 sine 3000 sine 2500 pad 0.1 0.1
encode burst_joint_44k burst44 '\x00\x00' -b 128
encode crc_stereo_44k stereo44 '\x11\x00' -b 128 -m s -p
encode nores_joint_22k stereo22 '\x00\x00' -b 64 --nores
encode dual_44k stereo44 '\x00\x00' -b 128 -m d
frames_tool="/usr/bin/python3 $(dirname "$0")/../fixtures/mp3_frames.py"
$frames_tool intensity "$work/burst_joint_44k.cut" "$work/intensity.cut" > /dev/null
seed lame-intensity_44k '\x00\x00' "$work/intensity.cut"

# Hand-made. A good stream: MPEG-1 Layer III, 128 kbit/s, 44100 Hz, stereo.
good() { frames "$1" ff fb 90 00 417; }

: > "$out/empty"
noise 4096 random > "$work/random"
seed random '\x00\x2f' "$work/random"

# An ID3v2 tag claiming 256 MB in front of two frames: the parser must skip
# it without holding or allocating anything of that size.
{ bytes 49 44 33 03 00 00 7f 7f 7f 7f; good 2; } > "$work/id3-huge"
seed id3-claims-256mb '\x00\x00' "$work/id3-huge"

# The same with an APE tag header claiming 4 GB of items.
{ bytes 41 50 45 54 41 47 45 58 d0 07 00 00 ff ff ff ff 01 00 00 00 00 00 00 a0; zeros 8; good 2; } > "$work/ape-huge"
seed ape-claims-4gb '\x05\x00' "$work/ape-huge"

# Frames of another format hidden inside an ID3v2.3 tag, then the stream.
{ bytes 49 44 33 03 00 00; syncsafe 1040; frames 5 ff f3 80 c0 208; good 4; } > "$work/id3-fake"
seed id3-fake-sync '\x0c\x02' "$work/id3-fake"

# ID3v2.4 with extended header and footer around fake frames, then the stream.
{
  bytes 49 44 33 04 00 50; syncsafe 422
  bytes 00 00 00 06 01 00; frames 2 ff f3 80 c0 208
  bytes 33 44 49 04 00 50; syncsafe 422
  good 3
} > "$work/id3v24-footer"
seed id3v24-footer '\x20\x00' "$work/id3v24-footer"

seed bitrate-index-0 '\x00\x00' <(frames 4 ff fb 00 00 417)
# Free format: frames with and without padding, and a frame with no header
# after it, whose length cannot be found.
seed free-format-padded '\x00\x00' <({ frames 1 ff fb 00 00 417; frames 1 ff fb 02 00 418; frames 2 ff fb 00 00 417; })
seed free-format-alone '\x00\x00' <(frames 1 ff fb 00 00 700)
# The reserved emphasis after the first frame of a stream, and in every frame.
seed reserved-emphasis-later '\x00\x00' <({ good 1; frames 3 ff fb 90 02 417; })
seed reserved-emphasis-all '\x00\x00' <(frames 4 ff fb 90 02 417)
# Free-format frames longer than the bitrate table's longest (1469 bytes).
seed free-format-long '\x00\x00' <(frames 3 ff fb 00 00 1469)
seed bitrate-index-15 '\x00\x00' <(frames 4 ff fb f0 00 417)
seed sample-rate-index-3 '\x00\x00' <(frames 4 ff fb 9c 00 417)
seed frame-past-end '\x00\x00' <(good 1 | head -c 300)
seed last-frame-cut '\x1f\x05' <({ good 3; good 1 | head -c 300; })

# The stream, an APE tag with a header holding fake frames, then ID3v1.
ape() {
  bytes 41 50 45 54 41 47 45 58 d0 07 00 00 30 04 00 00 01 00 00 00 00 00 00 "$1"
  zeros 8
}
{
  good 3
  ape a0; frames 5 ff f3 80 c0 208; ape 80
  printf 'TAG'; printf '%125s' ''
} > "$work/ape"
seed ape-then-id3v1 '\x07\x07' "$work/ape"

# The stream, then an APEv2 tag without a header: items, then a footer whose
# size counts them.
{ good 3; noise 1024 items; bytes 41 50 45 54 41 47 45 58 d0 07 00 00 20 04 00 00 01 00 00 00 00 00 00 00; zeros 8; } \
  > "$work/ape-footer"
seed ape-footer-only '\x09\x03' "$work/ape-footer"

# Tag names with no valid tag after them: they confirm no frame.
{ good 2; printf 'ID3'; zeros 40; good 2; printf 'APETAGEX'; zeros 40; good 2; printf 'TAG'; zeros 200; } \
  > "$work/tag-names"
seed tag-names-without-tags '\x00\x00' "$work/tag-names"

# Header frames: Xing after a CRC, VBRI, and Info in MPEG-2 mono.
{ bytes ff fa 90 00; zeros 34; printf 'Xing'; bytes 00 00 00 01 00 00 00 03; zeros 367; frames 3 ff fa 90 00 417; } > "$work/xing"
seed xing-after-crc '\x03\x00' "$work/xing"
{ bytes ff fb 90 00; zeros 32; printf 'VBRI'; zeros 10; bytes 00 00 00 03; zeros 363; good 3; } > "$work/vbri"
seed vbri '\x00\x04' "$work/vbri"
{ bytes ff f3 80 c0; zeros 9; printf 'Info'; bytes 00 00 00 01 00 00 00 03; zeros 183; frames 3 ff f3 80 c0 208; } > "$work/info"
seed info-mpeg2-mono '\x00\x00' "$work/info"

# Header frames too short to hold the count after the tag: Xing in the
# shortest frame (MPEG-2, 8 kbit/s, 24 kHz, mono: 24 bytes) and VBRI in a
# 48-byte one (16 kbit/s).
{ bytes ff f3 14 c0; zeros 9; printf 'Xing'; bytes 00 00 00 01 00 00 00; frames 3 ff f3 14 c0 24; } > "$work/xing-short"
seed xing-in-shortest-frame '\x00\x00' "$work/xing-short"
{ bytes ff f3 24 c0; zeros 32; printf 'VBRI'; zeros 8; frames 3 ff f3 24 c0 48; } > "$work/vbri-short"
seed vbri-in-short-frame '\x00\x00' "$work/vbri-short"

# Junk that looks like sync, and frames of two formats taking turns.
{ for ((i = 0; i < 100; i++)); do bytes ff fb 00 12; done; good 3; } > "$work/junk"
seed junk-then-stream '\x0b\x0b' "$work/junk"
{ for ((i = 0; i < 3; i++)); do good 1; frames 1 ff f3 80 c0 208; done; } > "$work/alternating"
seed alternating-formats '\x00\x00' "$work/alternating"
