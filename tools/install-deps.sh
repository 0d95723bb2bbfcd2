#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need,
# when any is missing. Needs root (apt-get).
set -euo pipefail

packages=(
  cmake ninja-build g++ libgtest-dev googletest   # native build and unit tests
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix  # the Windows programs, x64 and x86
  wine64 wine32:i386 fonts-wine xvfb xauth x11-apps imagemagick  # running them, screenshots
  g++-multilib qemu-user                          # the x86 decoder tests where 32-bit Wine cannot run
  lame sox                                        # test and demo music
  mpg123 ffmpeg                                   # reference decoders of the conformance test
  xorriso                                         # the disc image
  osslsigncode openssl                            # signing its programs (make-disc --sign)
  clang libclang-rt-14-dev                        # sanitizers and libFuzzer
  python3-pil python3-numpy fonts-noto-cjk        # the artwork script and its tests
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: run as root to install packages" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  # 32-bit Wine, which runs the x86 programs, comes from Debian's i386 architecture.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
