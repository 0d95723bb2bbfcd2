#!/usr/bin/env bash
# tools/install-deps.sh's decisions, with stand-ins for apt-get, dpkg,
# dpkg-query and id on PATH: which packages it installs, how it rides out a
# package mirror that is mid-sync, that only 32-bit Wine is optional, and
# that a required package it cannot install stops it by name.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The stand-ins read their behaviour from files in $STAND_IN: installed
# (packages already installed), update-failures (how many `apt-get update`
# calls fail before one succeeds), broken (packages apt cannot install), and
# log the calls they get to calls.
mkdir -p "$work/bin"
cat > "$work/bin/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "apt-get $*" >> "$STAND_IN/calls"
case $1 in
  update)
    left=$(cat "$STAND_IN/update-failures")
    if [ "$left" -gt 0 ]; then
      echo $((left - 1)) > "$STAND_IN/update-failures"
      echo "E: File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
      exit 100
    fi ;;
  install)
    packages=()
    simulate=false
    for a in "${@:2}"; do
      case $a in -s) simulate=true ;; -*) ;; *) packages+=("$a") ;; esac
    done
    for p in "${packages[@]}"; do
      if grep -qxF "$p" "$STAND_IN/broken"; then
        echo "E: Unable to correct problems, you have held broken packages ($p)." >&2
        exit 100
      fi
    done
    $simulate || printf '%s\n' "${packages[@]}" >> "$STAND_IN/installed" ;;
esac
EOF
cat > "$work/bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
grep -qxF "${@: -1}" "$STAND_IN/installed" && printf 'install ok installed'
EOF
cat > "$work/bin/dpkg" <<'EOF'
#!/usr/bin/env bash
echo "dpkg $*" >> "$STAND_IN/calls"
EOF
printf '#!/bin/sh\necho "${STAND_IN_UID:-0}"\n' > "$work/bin/id"
chmod +x "$work/bin"/*

all_required=$(sed -n '/^required=(/,/^)/p' "$source_dir/tools/install-deps.sh" |
  sed '1d;$d; s/#.*//' | tr -s ' ' '\n' | sed '/^$/d')

# Rows: name | installed beforehand (all = every required package) |
# failing updates | packages apt cannot install | uid | exit status |
# a line the output must hold | a line it must not hold | calls to count, as
# "pattern=N" pairs separated by commas.
rows=(
  "all installed|all wine32:i386|0||0|0|||apt-get=0"
  "nothing installed, mirror fine|none|0||0|0|||apt-get update=1,apt-get install=2"
  "mirror mid-sync, then fine|all|2||0|0|update failed (try 2 of 3)||apt-get update=3,apt-get install -y=1"
  "mirror mid-sync throughout|none|9||0|0|installing from the package lists apt already has|cannot install|apt-get update=3,apt-get install -y=2"
  "wine32 not installable|none|1|wine32:i386|0|0|32-bit Wine (wine32:i386) cannot be installed today|cannot install the required|apt-get install -y=2"
  "a required package not installable|none|0|xorriso|0|1|cannot install the required package(s) xorriso|32-bit Wine|apt-get install -y=1"
  "only wine32 missing, not root|all|0||1000|1|run as root||apt-get=0"
)

for row in "${rows[@]}"; do
  IFS='|' read -r name installed update_failures broken uid want_status want_line refuse_line want_calls <<< "$row"
  export STAND_IN="$work/case"
  rm -rf "$STAND_IN" && mkdir -p "$STAND_IN"
  : > "$STAND_IN/calls"
  case $installed in
    all*) { echo "$all_required"; printf '%s\n' ${installed#all}; } > "$STAND_IN/installed" ;;
    *) : > "$STAND_IN/installed" ;;
  esac
  echo "$update_failures" > "$STAND_IN/update-failures"
  printf '%s\n' $broken > "$STAND_IN/broken"
  failures_before=$failures
  status=0
  PATH="$work/bin:$PATH" STAND_IN_UID=$uid INSTALL_DEPS_RETRY_SECONDS=0 \
    "$source_dir/tools/install-deps.sh" > "$STAND_IN/output" 2>&1 || status=$?
  [ "$status" = "$want_status" ] || fail "$name: exit status $status, not $want_status"
  if [ -n "$want_line" ] && ! grep -qF -- "$want_line" "$STAND_IN/output"; then
    fail "$name: the output lacks \"$want_line\""
  fi
  if [ -n "$refuse_line" ] && grep -qF -- "$refuse_line" "$STAND_IN/output"; then
    fail "$name: the output holds \"$refuse_line\""
  fi
  IFS=',' read -ra counts <<< "$want_calls"
  for count in "${counts[@]}"; do
    got=$(grep -cF -- "${count%=*}" "$STAND_IN/calls" || true)
    [ "$got" = "${count##*=}" ] || fail "$name: ${got} calls of '${count%=*}', not ${count##*=}"
  done
  if [ "$failures" -gt "$failures_before" ]; then sed 's/^/  | /' "$STAND_IN/output" >&2; fi
done

if [ "$failures" -gt 0 ]; then
  echo "install-deps tests: $failures failed" >&2
  exit 1
fi
echo "install-deps tests: ${#rows[@]} cases passed"
