#!/usr/bin/env bash
# Runs the end-to-end test program of a win64 or win32 build tree under Wine.
#
# Prepares a fresh Wine prefix for this run inside the build tree, starts
# Xvfb when there is no display, maps E:\ and F:\ to empty test folders and
# CD-ROM drive D:\ to the files of a disc image made by tools/make-disc (the
# stand-in installer as both editions' installer, the test music, the
# programs signed with the tests' own certificate, tests/disc/test-pki.sh),
# points ALSA at a file sink through this run's own HOME/.asoundrc (what the
# programs play lands in capture.raw), and runs the tests inside a Wine
# virtual desktop so that window frames are drawn as on Windows. Cleans up
# only what it started. Extra arguments go to the test program
# (e.g. --gtest_filter=Launcher*). Exits with 77 (skipped) for a 32-bit build
# on a machine whose Wine cannot run 32-bit programs.
#
# With E2E_DPI_SCALES set (e.g. "120 144 192 240"), the display-scale cases
# (DisplayScale*) then run once more at each of those dots per inch, in the
# same prefix, each in a test program started after the scale was set.
#
# usage: [E2E_DPI_SCALES="DPI..."] tools/run-e2e.sh BUILD_DIR [test program arguments...]
set -euo pipefail

build_dir=$(cd "${1:?usage: run-e2e.sh BUILD_DIR [args...]}" && pwd)
shift
source_dir=$(cd "$(dirname "$0")/.." && pwd)
tests_exe="$build_dir/tests/e2e/e2e_tests.exe"
[ -f "$tests_exe" ] || { echo "run-e2e: $tests_exe is missing; build the win64 or win32 preset first" >&2; exit 2; }

# One run at a time per build tree: every run uses the same run folder.
exec {lock_fd}> "$build_dir/e2e-run.lock"
flock "$lock_fd"

source "$source_dir/tools/wine-common.sh"
run_dir="$build_dir/e2e-run"

# Exit code 77 tells ctest the suite was skipped, not passed.
if pe_is_32bit "$tests_exe" && ! wine_runs_32bit_programs; then
  echo "run-e2e: SKIPPED: this machine cannot run 32-bit Windows programs under Wine" \
    "(/usr/lib/wine/wine does not start: no wine32, or a kernel without IA32 emulation)" >&2
  exit 77
fi

export WINEPREFIX="$run_dir/prefix"
# Wine's MP3 codec is disabled: the player decodes on its own and must not
# lean on it.
export WINEDLLOVERRIDES="l3codeca.acm=;mscoree,mshtml="
export HOME="$run_dir/home"

xvfb_pid=""
cleanup() {
  "$wineserver" -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

if [ -d "$run_dir" ]; then chmod -R u+w "$run_dir"; rm -rf "$run_dir"; fi
mkdir -p "$HOME" "$run_dir/drive-e" "$run_dir/drive-f"

write_capture_asoundrc "$HOME" "$run_dir/capture.raw"

# Large enough for the launcher at 240 dpi (903x1123 inside its frame).
if [ -z "${DISPLAY:-}" ]; then start_xvfb 1600x1400; fi

echo "run-e2e: preparing a Wine prefix in $WINEPREFIX"
prepare_prefix
ln -sfn "$run_dir/drive-e" "$WINEPREFIX/dosdevices/e:"
ln -sfn "$run_dir/drive-f" "$WINEPREFIX/dosdevices/f:"

echo "run-e2e: making a signed test disc for CD-ROM drive D:"
mkdir -p "$run_dir/installer"
cp "$build_dir/tests/e2e/stand_in_installer.exe" "$run_dir/installer/setup.exe"
# Its programs signed and time-stamped as a publisher's are, with the tests'
# own certificate authority and time-stamping authority.
source "$source_dir/tests/disc/test-pki.sh"
pki_init "$run_dir/pki"
pki_issue "$run_dir/pki" publisher "$(date -u -d '-1 day' +%Y%m%d%H%M%SZ)" \
  "$(date -u -d '+1 year' +%Y%m%d%H%M%SZ)" basicConstraints=CA:FALSE \
  keyUsage=critical,digitalSignature extendedKeyUsage=codeSigning
PATH="$run_dir/pki/bin:$PATH" "$source_dir/tools/make-disc" --programs "$build_dir" \
  --music "$build_dir/tests/e2e/music" \
  --simplified-installer "$run_dir/installer" --traditional-installer "$run_dir/installer" \
  --sign "$run_dir/pki/publisher.pfx" --sign-password-file "$run_dir/pki/password" \
  --timestamp test-tsa: --output "$run_dir/disc" >/dev/null
xorriso -osirrox on -read_fs norock -indev "$run_dir/disc/disc.iso" -extract / "$run_dir/drive-d" 2>/dev/null
ln -sfn "$run_dir/drive-d" "$WINEPREFIX/dosdevices/d:"
"$wine" reg add 'HKLM\Software\Wine\Drives' /v d: /t REG_SZ /d cdrom /f >/dev/null 2>&1
# winmm prefers a native DLL, so that one planted beside a program would be
# taken if the program let the loader search there. Set in the registry, not
# in WINEDLLOVERRIDES, so that a test can override it for one program
# (AppDefaults), which the environment would not let it.
"$wine" reg add 'HKCU\Software\Wine\DllOverrides' /v winmm /t REG_SZ /d native,builtin /f >/dev/null 2>&1
"$wineserver" -w

to_windows() { printf 'Z:%s' "${1//\//\\}"; }
export E2E_BUILD_DIR=$(to_windows "$build_dir")
export E2E_SOURCE_DIR=$(to_windows "$source_dir")
export E2E_RECORD_FILE=$(to_windows "$run_dir/records.txt")
export E2E_RESULT_FILE=$(to_windows "$run_dir/result.txt")
export E2E_CAPTURE_FILE=$(to_windows "$run_dir/capture.raw")

echo "run-e2e: running the tests in a Wine virtual desktop"
"$wine" explorer /desktop=e2e,1024x768 "$(to_windows "$tests_exe")" "$@" || true
"$wineserver" -w

failed=""
result=$(tr -d "\r\n " < "$run_dir/result.txt" 2>/dev/null || echo "missing")
[ "$result" = "0" ] || failed="the end-to-end tests (result: $result)"

# Each process reads LogPixels when it starts; DpiScalingVer makes Wine
# honour what each program declares instead of making every process aware
# of the scale.
for dpi in ${E2E_DPI_SCALES:-}; do
  echo "run-e2e: the display-scale tests at $dpi dpi"
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v DpiScalingVer /t REG_DWORD /d 0x1000 /f >/dev/null 2>&1
  "$wineserver" -w
  rm -f "$run_dir/result.txt"
  E2E_DPI=$dpi "$wine" explorer /desktop="e2e-$dpi,1400x1300" "$(to_windows "$tests_exe")" \
    --gtest_filter='DisplayScale*' || true
  "$wineserver" -w
  result=$(tr -d "\r\n " < "$run_dir/result.txt" 2>/dev/null || echo "missing")
  [ "$result" = "0" ] || failed="$failed${failed:+, }the display-scale tests at $dpi dpi (result: $result)"
done

if [ -n "$failed" ]; then
  echo "run-e2e: failed: $failed" >&2
  exit 1
fi
echo "run-e2e: all end-to-end tests passed"
