#!/usr/bin/env bash
# Prints the time, in seconds since 1970, that the build and tools/make-disc
# write wherever a date goes (the programs' PE headers, the disc image), so
# that the same source gives the same bytes: SOURCE_DATE_EPOCH when set, else
# the time of the source's last commit, else 0 (a copy without Git history).
set -euo pipefail

if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  [[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] ||
    { echo "source-date-epoch: SOURCE_DATE_EPOCH is not a number of seconds: $SOURCE_DATE_EPOCH" >&2; exit 1; }
  echo "$SOURCE_DATE_EPOCH"
  exit 0
fi
source_dir=$(cd "$(dirname "$0")/.." && pwd -P)
# Only the source's own repository counts, not one that holds a copy of it.
if [ "$(git -C "$source_dir" rev-parse --show-toplevel 2>/dev/null)" = "$source_dir" ]; then
  git -C "$source_dir" log -1 --format=%ct
else
  echo 0
fi
