#!/usr/bin/env bash
# The main job: installs what is missing, builds the programs, makes the demo
# disc (tools/make-disc), puts the image's files in CD-ROM drive D: of a Wine
# prefix and starts the product from it in a Wine virtual desktop.
#
#   tools/run-product.sh          starts D:\SETUP.exe, the edition launcher
#   tools/run-product.sh player   starts D:\Velk.exe, the music player
#
# With a display the windows are yours to use. Without one (a server, CI) it
# runs under Xvfb and walks through the product by itself: the launcher, the
# player playing track 1 for a few seconds, the about window. It writes a
# picture of each window (launcher.png, player.png, about.png) and the sound
# of track 1 as played (track1.wav) to build/demo-output/, then walks
# through again at display scales of 150% and 200% for pictures of each
# window there (launcher-150.png ... about-200.png).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$(pwd)

case ${1:-launcher} in
  launcher) program='SETUP.exe' ;;
  player) program='Velk.exe' ;;
  *) echo "usage: $0 [launcher | player]" >&2; exit 2 ;;
esac

tools/install-deps.sh
source "$source_dir/tools/wine-common.sh"
# The disc ships the 32-bit programs. Where Wine cannot run 32-bit programs
# (a kernel without IA32 emulation), the disc is made with the 64-bit ones.
preset=win32
if ! wine_runs_32bit_programs; then
  echo "run-product: Wine cannot run 32-bit programs on this machine; using the 64-bit build"
  preset=win64
fi
echo "run-product: building the programs (build/$preset)"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j 2
# tools/make-disc judges the tracks with mp3check, a native program.
if [ -z "${MP3CHECK:-}" ]; then
  echo "run-product: building the track checker (build/native)"
  cmake --preset native >/dev/null
  cmake --build --preset native --target mp3check -j 2
fi

build_dir="$source_dir/build/$preset"
disc="$source_dir/build/demo-disc"
cdrom="$source_dir/build/demo-cdrom"
output="$source_dir/build/demo-output"
tools/make-disc --programs "$build_dir" --output "$disc"

# Drive D: holds the files as read from the image's Joliet tree, read-only
# like a real disc.
echo "run-product: reading the image into $cdrom"
if [ -d "$cdrom" ]; then chmod -R u+w "$cdrom"; rm -rf "$cdrom"; fi
xorriso -osirrox on -read_fs norock -indev "$disc/disc.iso" -extract / "$cdrom" 2>/dev/null

export WINEPREFIX="$source_dir/build/demo-prefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
to_windows() { printf 'Z:%s' "${1//\//\\}"; }

xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  echo "run-product: no display; starting Xvfb"
  # This run's own HOME points ALSA at a file sink: what plays lands in
  # capture.raw (S16LE, 44100 Hz, stereo).
  export HOME="$source_dir/build/demo-home"
  mkdir -p "$HOME"
  rm -rf "$output"
  mkdir -p "$output"
  write_capture_asoundrc "$HOME" "$output/capture.raw"
  # Large enough for the launcher at 200% on a larger virtual desktop.
  start_xvfb 1600x1400
fi
cleanup() {
  "$wineserver" -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

if [ ! -d "$WINEPREFIX" ]; then
  echo "run-product: preparing a Wine prefix in $WINEPREFIX (first run only, about 20 s)"
  prepare_prefix
fi
# The product is shown at 100% unless a step below says otherwise.
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
echo "run-product: mapping CD-ROM drive D: to $cdrom"
ln -sfn "$cdrom" "$WINEPREFIX/dosdevices/d:"
"$wine" reg add 'HKLM\Software\Wine\Drives' /v d: /t REG_SZ /d cdrom /f >/dev/null 2>&1
"$wineserver" -w

if [ -z "$xvfb_pid" ]; then
  echo "run-product: starting D:\\$program from the demo disc"
  cd "$cdrom"
  "$wine" explorer /desktop=Sorvane,1024x768 "D:\\$program"
  exit 0
fi

echo "run-product: walking through the product from D:"
walkthrough="$build_dir/tools/walkthrough/walkthrough.exe"
(cd "$cdrom" && "$wine" explorer /desktop=Sorvane,1024x768 "$(to_windows "$walkthrough")" \
  "D:\\" "$(to_windows "$output")") | tr -d '\r' || true
"$wineserver" -w

for window in launcher player about; do
  [ -f "$output/$window.bmp" ] || { echo "run-product: the walk-through did not finish ($window.bmp is missing)" >&2; exit 1; }
  convert "$output/$window.bmp" "$output/$window.png"
  rm "$output/$window.bmp"
done
[ -s "$output/capture.raw" ] || { echo "run-product: no sound was captured" >&2; exit 1; }
sox -t raw -r 44100 -e signed -b 16 -c 2 -L "$output/capture.raw" "$output/track1.wav"
rm "$output/capture.raw"

# The same walk at 150% and 200%: each process reads LogPixels when it
# starts; DpiScalingVer makes Wine honour what each program declares.
scaled_pictures=()
for scale in 150:144 200:192; do
  percent=${scale%%:*}
  dpi=${scale##*:}
  echo "run-product: walking through again at $percent%"
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v DpiScalingVer /t REG_DWORD /d 0x1000 /f >/dev/null 2>&1
  "$wineserver" -w
  (cd "$cdrom" && "$wine" explorer "/desktop=Sorvane-$percent,1400x1300" \
    "$(to_windows "$walkthrough")" "D:\\" "$(to_windows "$output")" "-$percent") | tr -d '\r' || true
  "$wineserver" -w
  for window in launcher player about; do
    picture="$window-$percent"
    [ -f "$output/$picture.bmp" ] || { echo "run-product: the walk-through at $percent% did not finish ($picture.bmp is missing)" >&2; exit 1; }
    convert "$output/$picture.bmp" "$output/$picture.png"
    rm "$output/$picture.bmp"
    scaled_pictures+=("$picture.png")
  done
done
rm -f "$output/capture.raw"

echo "run-product: the product as it ran, in $output:"
for file in launcher.png player.png about.png track1.wav "${scaled_pictures[@]}"; do
  echo "  $output/$file"
done
