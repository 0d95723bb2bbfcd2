#!/usr/bin/env bash
# Prints the time, in seconds since 1970, that the build and tools/make-disc
# write wherever a date goes (the programs' PE headers, the disc image), so
# that the same source gives the same bytes: SOURCE_DATE_EPOCH when set, else
# the time of the source's last commit, else 0 where the source has no Git
# repository of its own (an archive, or a copy inside another repository).
# A repository that Git cannot read (another user's checkout: "detected
# dubious ownership"; no commit yet; git missing) is an error with Git's
# reason, never a silent 1970.
set -euo pipefail

fail() { echo "source-date-epoch: $*" >&2; exit 1; }

if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  [[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] ||
    fail "SOURCE_DATE_EPOCH is not a number of seconds: $SOURCE_DATE_EPOCH"
  echo "$SOURCE_DATE_EPOCH"
  exit 0
fi
source_dir=$(cd "$(dirname "$0")/.." && pwd -P)
# Only the source's own repository counts, not one that holds a copy of it.
if [ ! -e "$source_dir/.git" ]; then
  echo 0
  exit 0
fi
command -v git >/dev/null ||
  fail "$source_dir is a Git checkout, but git is not installed (or set SOURCE_DATE_EPOCH)"
if ! answer=$(git -C "$source_dir" log -1 --format=%ct 2>&1) || ! [[ $answer =~ ^[0-9]+$ ]]; then
  fail "git cannot give the time of the last commit in $source_dir (set SOURCE_DATE_EPOCH to build without it): $answer"
fi
echo "$answer"
