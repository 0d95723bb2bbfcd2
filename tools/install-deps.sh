#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need,
# when any is missing. Needs root (apt-get).
#
# A package mirror may be in the middle of a sync, when one of its package
# lists fails to download: `apt-get update` is tried up to
# INSTALL_DEPS_UPDATE_TRIES times (default 3), INSTALL_DEPS_RETRY_SECONDS
# apart (default 10), and the install then goes on with the lists apt has.
# Every package is required except 32-bit Wine: where it cannot be
# installed, the script says so once and goes on (the product then runs the
# 64-bit build, and the tests run the x86 decoder tests under qemu-i386 and
# report the x86 end-to-end suite as skipped). A required package that
# cannot be installed stops it, by name, with exit status 1.
set -euo pipefail

required=(
  cmake ninja-build g++ libgtest-dev googletest   # native build and unit tests
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix  # the Windows programs, x64 and x86
  wine64 fonts-wine xvfb xauth x11-apps imagemagick  # running them, screenshots
  g++-multilib qemu-user                          # the x86 decoder tests where 32-bit Wine cannot run
  lame sox                                        # test and demo music
  mpg123 ffmpeg                                   # reference decoders of the conformance test
  xorriso                                         # the disc image
  osslsigncode openssl                            # signing its programs (make-disc --sign)
  clang libclang-rt-14-dev                        # sanitizers and libFuzzer
  python3-pil python3-numpy fonts-noto-cjk        # the artwork script and its tests
)
# 32-bit Wine runs the x86 programs; it comes from Debian's i386
# architecture, whose lists are the ones most often caught mid-sync.
optional=(wine32:i386)

update_tries=${INSTALL_DEPS_UPDATE_TRIES:-3}
retry_seconds=${INSTALL_DEPS_RETRY_SECONDS:-10}

is_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# missing NAME...: prints each NAME that is not installed, one a line.
missing() {
  local p
  for p in "$@"; do is_installed "$p" || echo "$p"; done
}

# Refreshes the package lists; when every try fails, says so and goes on
# with the lists apt already has.
update_package_lists() {
  local try
  for ((try = 1; try <= update_tries; try++)); do
    apt-get update -q && return 0
    if ((try < update_tries)); then
      echo "install-deps: apt-get update failed (try $try of $update_tries); trying again in ${retry_seconds} s" >&2
      sleep "$retry_seconds"
    fi
  done
  echo "install-deps: apt-get update failed $update_tries times (a package mirror may be mid-sync);" \
    "installing from the package lists apt already has" >&2
}

install() {
  apt-get install -y -q --no-install-recommends "$@"
}

# After a failed install of NAME...: names each package that cannot be
# installed on its own, or all of them when only their combination fails.
name_uninstallable() {
  local p culprits=()
  for p in "$@"; do
    apt-get install -s -q --no-install-recommends "$p" >/dev/null 2>&1 || culprits+=("$p")
  done
  [ ${#culprits[@]} -gt 0 ] || culprits=("$@")
  echo "install-deps: cannot install the required package(s) ${culprits[*]} (apt-get's reason above)" >&2
}

mapfile -t missing_required < <(missing "${required[@]}")
mapfile -t missing_optional < <(missing "${optional[@]}")
if [ ${#missing_required[@]} -eq 0 ] && [ ${#missing_optional[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing_required[*]}${missing_required[*]:+ }${missing_optional[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: run as root to install packages" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing_optional[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
update_package_lists

if [ ${#missing_required[@]} -gt 0 ] && ! install "${missing_required[@]}"; then
  name_uninstallable "${missing_required[@]}"
  exit 1
fi
# Apart from the required ones, so that its failure leaves them installed.
if [ ${#missing_optional[@]} -gt 0 ] && ! install "${missing_optional[@]}"; then
  echo "install-deps: NOTE: 32-bit Wine (${missing_optional[*]}) cannot be installed today" \
    "(apt-get's reason above); going on without it: the product runs its 64-bit build," \
    "the x86 decoder tests run under qemu-i386 and the x86 end-to-end suite is skipped" >&2
fi
exit 0
