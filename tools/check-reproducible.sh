#!/usr/bin/env bash
# Checks that this commit builds reproducibly: clones it twice into two fresh
# folders (of different names and depths), builds the x86 and x64 programs and
# the demo disc in each (the second under another time zone), and compares the
# SHA-256 of each result: SETUP.exe and Velk.exe for x86 and x64, the demo
# installer and disc.iso. Prints the sums and, where two results differ, the
# first differing offsets. Exits 0 when every pair is identical.
#
# Slow (four builds and two discs, some minutes), so not part of tools/test.sh.
# It checks the commit, not changes that are not committed. The dates come from
# SOURCE_DATE_EPOCH when set, else from the commit's time.
#
# usage: tools/check-reproducible.sh [COMMIT]   (default HEAD)
#        KEEP=1 keeps the two folders (printed) for a closer look.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$source_dir" rev-parse --verify "${1:-HEAD}^{commit}")
work=$(mktemp -d "${TMPDIR:-/tmp}/check-reproducible.XXXXXX")
if [ "${KEEP:-0}" = 1 ]; then
  echo "check-reproducible: keeping $work"
else
  trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
fi
if [ -n "$(git -C "$source_dir" status --porcelain --untracked-files=no)" ]; then
  echo "check-reproducible: note: uncommitted changes are not checked, only commit $commit"
fi

results=(build/win32/launcher/SETUP.exe build/win32/player/Velk.exe
  build/win32/tools/demo-installer/demo_installer.exe
  build/win64/launcher/SETUP.exe build/win64/player/Velk.exe build/disc/disc.iso)

# build DIR TZ: the commit in DIR, its programs and its demo disc.
build() {
  local dir=$1 zone=$2
  echo "check-reproducible: building $commit in $dir (TZ=$zone)"
  git clone --quiet --no-checkout "$source_dir" "$dir"
  git -C "$dir" checkout --quiet --detach "$commit"
  (
    cd "$dir"
    export TZ=$zone
    for preset in win32 win64; do
      cmake --preset "$preset" >/dev/null
      cmake --build --preset "$preset" --target setup velk demo_installer >/dev/null
    done
    cmake --preset native >/dev/null
    cmake --build --preset native --target mp3check >/dev/null
    MP3CHECK="$dir/build/native/tools/mp3check/mp3check" tools/make-disc >/dev/null
  ) > "$dir.log" 2>&1 || { cat "$dir.log" >&2; echo "check-reproducible: the build in $dir failed" >&2; exit 1; }
}
first="$work/a"
second="$work/second/clone"
mkdir -p "$work/second"
build "$first" UTC
build "$second" Asia/Shanghai

differ=0
printf '%-64s  %-64s  %s\n' "SHA-256, first build" "SHA-256, second build" "result"
for result in "${results[@]}"; do
  sum1=$(sha256sum "$first/$result" | cut -d' ' -f1)
  sum2=$(sha256sum "$second/$result" | cut -d' ' -f1)
  if [ "$sum1" = "$sum2" ]; then
    printf '%s  %-64s  %s\n' "$sum1" "(same)" "$result"
  else
    differ=$((differ + 1))
    printf '%s  %s  %s DIFFERS\n' "$sum1" "$sum2" "$result"
    sizes="$(stat -c %s "$first/$result") and $(stat -c %s "$second/$result") bytes"
    # cmp exits 1 on a difference, and head ends it early: neither stops here.
    offsets=$({ cmp -l "$first/$result" "$second/$result" 2>/dev/null || true; } | head -n 8 |
      awk '{ printf "%s%d (0x%x)", (NR > 1 ? ", " : ""), $1 - 1, $1 - 1 }' || true)
    echo "    $sizes; first differing offsets: ${offsets:-none within the shorter file}"
  fi
done
if [ "$differ" -gt 0 ]; then
  echo "check-reproducible: $differ of ${#results[@]} results differ between the two builds of $commit" >&2
  exit 1
fi
echo "check-reproducible: all ${#results[@]} results are identical in both builds of $commit"
