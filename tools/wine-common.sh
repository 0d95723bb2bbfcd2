# What the scripts that run the programs under Wine share. Source it; it
# defines $wine and $wineserver and the functions below.

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
export WINEDEBUG=-all

# wine_runs_32bit_programs: true when Wine can run 32-bit Windows programs
# here. They need Wine's 32-bit loader (package wine32), a 32-bit Linux
# program, which a kernel without IA32 emulation cannot start.
wine_runs_32bit_programs() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

# pe_is_32bit FILE: true when FILE is a 32-bit (PE32) Windows program.
pe_is_32bit() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  [ "$(od -An -tx2 -j$((header + 24)) -N2 "$1" | tr -d ' ')" = 010b ]
}

# write_capture_asoundrc HOME CAPTURE: points ALSA, for processes that run
# with HOME, at a file sink: everything played is appended to CAPTURE as raw
# signed 16-bit little-endian, 44100 Hz, stereo.
write_capture_asoundrc() {
  mkdir -p "$1"
  cat > "$1/.asoundrc" <<ASOUND
pcm.!default {
  type plug
  slave { pcm "capture_file"; format S16_LE; rate 44100; channels 2 }
}
pcm.capture_file {
  type file
  slave.pcm "null"
  file "|cat >> $2"
  format "raw"
}
ASOUND
}

# start_xvfb WIDTHxHEIGHT: starts Xvfb on a free display, exports DISPLAY and
# sets xvfb_pid for the caller to end it.
start_xvfb() {
  local display_fd display_number
  exec {display_fd}<> <(:)
  Xvfb -displayfd "$display_fd" -screen 0 "${1}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 display_number <&"$display_fd" || { echo "Xvfb did not start" >&2; return 2; }
  export DISPLAY=":$display_number"
}

# prepare_prefix: makes the Wine prefix $WINEPREFIX, with Wine's Marlett font
# in its Fonts folder: without it the title bars' buttons are drawn as
# letters.
prepare_prefix() {
  "$wine" wineboot -i >/dev/null 2>&1
  "$wineserver" -w
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
}
