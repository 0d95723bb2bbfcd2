#!/usr/bin/env bash
# tools/run-product.sh without a display: it must walk through the product
# from CD-ROM drive D: and leave a picture of each window, cropped to the
# window, and the sound of track 1 of the demo music as played.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
output="$source_dir/build/demo-output"
cdrom="$source_dir/build/demo-cdrom"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

env -u DISPLAY "$source_dir/tools/run-product.sh" > "$work/log" 2>&1 || {
  cat "$work/log" >&2
  fail "run-product.sh failed"
}

# "picture|artwork|client width|client height|region of the artwork that no
# control covers: width height left top". The client area sits inside
# borders as wide at the bottom as at the sides, below the caption.
# At 150% and 200% every size is converted from twips at 144 and 192 dpi
# and the art is the drawing made for that scale.
pictures=(
  "launcher.png|assets/form1/cover.bmp|361|449|361 380 0 0"
  "player.png|assets/mp3play/background.bmp|338|79|338 8 0 0"
  "about.png|assets/frmabout/card.bmp|329|228|329 100 0 120"
  "launcher-150.png|assets/form1/150/cover.jpg|542|674|542 570 0 0"
  "player-150.png|assets/mp3play/150/background.png|507|119|507 12 0 0"
  "about-150.png|assets/frmabout/150/card.png|494|342|494 150 0 180"
  "launcher-200.png|assets/form1/200/cover.jpg|722|898|722 760 0 0"
  "player-200.png|assets/mp3play/200/background.png|676|158|676 16 0 0"
  "about-200.png|assets/frmabout/200/card.png|658|456|658 200 0 240"
)
for row in "${pictures[@]}"; do
  IFS='|' read -r picture artwork client_width client_height region <<< "$row"
  file="$output/$picture"
  if [ "$(identify -format %m "$file" 2>/dev/null)" != PNG ]; then
    fail "$picture is missing or not a PNG"
    continue
  fi
  read -r width height <<< "$(identify -format '%w %h' "$file")"
  border=$(((width - client_width) / 2))
  top=$((height - client_height - border))
  if [ "$border" -lt 0 ] || [ "$border" -gt 8 ] || [ "$top" -lt "$border" ] || [ "$top" -gt 40 ]; then
    fail "$picture is ${width}x$height, not a ${client_width}x$client_height window with its frame"
    continue
  fi
  read -r region_width region_height left y <<< "$region"
  convert "$file" -crop "${region_width}x$region_height+$((border + left))+$((top + y))" +repage "$work/shown.png"
  convert "$source_dir/$artwork" -crop "${region_width}x$region_height+$left+$y" +repage "$work/drawn.png"
  differing=$(compare -metric AE -fuzz 3% "$work/shown.png" "$work/drawn.png" null: 2>&1 || true)
  [ "$differing" = 0 ] || fail "$picture: $differing pixels differ from $artwork"
done

# The captured sound is loud enough to be music, and it is track 1: from the
# first loud sample on, its first three seconds match track 1 of the disc
# far better than any other track.
wav="$output/track1.wav"
if [ ! -f "$wav" ]; then
  fail "track1.wav is missing"
else
  rms=$(sox "$wav" -n stat 2>&1 | awk '/^RMS +amplitude/ { print $3 }')
  awk -v r="$rms" 'BEGIN { exit !(r > 0.05) }' || fail "track1.wav is near silence (RMS $rms)"
  sox "$wav" "$work/played.wav" silence 1 1 20% trim 0 3
  best=""
  for track in 1 2 3 4 5; do
    lame --quiet --decode "$cdrom/music$track.mp3" "$work/decoded.wav"
    sox "$work/decoded.wav" "$work/track.wav" silence 1 1 20% trim 0 3
    residual=$(sox -m -v 1 "$work/played.wav" -v -1 "$work/track.wav" -n stat 2>&1 |
      awk '/^RMS +amplitude/ { print $3 }')
    echo "$residual $track" >> "$work/residuals"
  done
  read -r best_residual best < <(sort -g "$work/residuals" | head -1)
  read -r next_residual _ < <(sort -g "$work/residuals" | sed -n 2p)
  [ "$best" = 1 ] || fail "the sound played is closest to track $best, not track 1: $(tr '\n' ' ' < "$work/residuals")"
  awk -v b="$best_residual" -v n="$next_residual" 'BEGIN { exit !(b < n / 2) }' ||
    fail "the sound played matches no track clearly: $(tr '\n' ' ' < "$work/residuals")"
fi

if [ "$failures" -gt 0 ]; then
  echo "walkthrough_test: $failures failure(s)" >&2
  exit 1
fi
echo "walkthrough_test: pictures and sound as expected"
