#!/usr/bin/env bash
# The fault campaign: fails each system call that a scene of SETUP.exe or
# Velk.exe reaches, in turn, and classifies each run (survived, reported
# with its number, crashed, hung, silent end, system box). The scenes are
# the launcher (start, keys, a click on an edition), the player (start,
# play, another track, stop, about opened and closed, exit) and the player
# with the disc taken out mid-track (reads wait 3 s, then fail with
# ERROR_NOT_READY; Stop is clicked while one waits). A counting run of each
# scene lists the functions it reaches; then each is failed at call 1, at
# call 2, at every call from the first, at every call from the scene's
# middle on (memory or GDI used up while the program runs), and at every
# call from the middle on made off the thread that runs main (the player's
# playback thread). A scene that breaks the rule without a fault is not
# varied further.
#
# It runs the FaultCampaign case of the end-to-end test program under Wine
# (tools/run-e2e.sh prepares Wine, the drives and the sound capture) once per
# build tree, writes the table to TABLE (default docs/fault-campaign.md),
# prints the totals per scene and bitness, and exits 1 when a run crashed,
# hung, ended silently or showed a system box, or when a report's number
# does not name the cause (71 for a file call that failed with
# ERROR_NOT_READY, 7 for ERROR_NOT_ENOUGH_MEMORY). A build tree of 32-bit
# programs is reported as skipped where Wine cannot run them.
#
# usage: tools/fault-campaign.sh [--first-call | --count] [--scenes LIST] [--functions LIST]
#                                [--variants LIST] [--table FILE] [--no-run] [BUILD_DIR...]
#   --first-call   only call 1 of each function (the quick check ctest runs)
#   --count        only the runs without a fault: the functions each scene reaches
#   --functions LIST  fail only these, e.g. malloc,ReadFile (to run rows again)
#   --variants LIST   fail only these calls, e.g. "1,mid+ thread"
#   --no-run       write the table from each build tree's last results again
#   --scenes LIST  e.g. player,disc-out (default: launcher,player,disc-out; "play"
#                  is the player's start, one track and exit)
#   BUILD_DIR      win64 and/or win32 build trees (default: build/win64 build/win32,
#                  those that exist); one not built is reported as skipped
# Exits with 77 (skipped) when no build tree could be run.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
source "$source_dir/tools/wine-common.sh"

mode=full
scenes=launcher,player,disc-out
functions=""
variants=""
table="$source_dir/docs/fault-campaign.md"
builds=()
run=yes
while [ $# -gt 0 ]; do
  case "$1" in
    --first-call) mode=first-call ;;
    --count) mode=count ;;
    --scenes) scenes=${2:?--scenes needs a list}; shift ;;
    --functions) functions=${2:?--functions needs a list}; shift ;;
    --variants) variants=${2:?--variants needs a list}; shift ;;
    --table) table=${2:?--table needs a file}; shift ;;
    --no-run) run=no ;;
    -*) echo "fault-campaign: unknown option $1" >&2; exit 2 ;;
    *) builds+=("$1") ;;
  esac
  shift
done
if [ ${#builds[@]} -eq 0 ]; then
  for candidate in "$source_dir/build/win64" "$source_dir/build/win32"; do
    [ -f "$candidate/tests/e2e/e2e_tests.exe" ] && builds+=("$candidate")
  done
fi
[ ${#builds[@]} -gt 0 ] || { echo "fault-campaign: no build tree with tests/e2e/e2e_tests.exe" >&2; exit 2; }

commit=$(git -C "$source_dir" rev-parse --short HEAD 2>/dev/null || echo unknown)
dirty=$(git -C "$source_dir" status --porcelain --untracked-files=no 2>/dev/null | grep -q . && echo " (with uncommitted changes)" || true)

results=()
skipped=()
for build in "${builds[@]}"; do
  if [ ! -f "$build/tests/e2e/e2e_tests.exe" ]; then
    echo "fault-campaign: $build SKIPPED: no tests/e2e/e2e_tests.exe there (not built)"
    skipped+=("$build (not built)")
    continue
  fi
  build=$(cd "$build" && pwd)
  if pe_is_32bit "$build/tests/e2e/e2e_tests.exe"; then bitness=x86; else bitness=x64; fi
  if [ "$bitness" = x86 ] && ! wine_runs_32bit_programs; then
    echo "fault-campaign: x86 SKIPPED: Wine cannot run 32-bit programs on this machine"
    skipped+=("x86 (Wine on this machine cannot run 32-bit programs)")
    continue
  fi
  out_dir="$build/fault-campaign"
  mkdir -p "$out_dir"
  out="$out_dir/runs-$bitness.tsv"
  if [ "$run" = no ]; then
    [ -s "$out" ] || { echo "fault-campaign: no earlier results in $out" >&2; exit 2; }
    results+=("$bitness=$out")
    continue
  fi
  # What was measured, for the table: commit, time, mode.
  printf 'meta\t%s\t%s\t%s\n' "$commit$dirty" "$(date -u '+%Y-%m-%d %H:%M')" "$mode" > "$out"
  echo "fault-campaign: $bitness ($mode; $scenes), results in $out"
  start=$(date +%s)
  FAULT_CAMPAIGN=$mode FAULT_CAMPAIGN_SCENES=$scenes FAULT_CAMPAIGN_FUNCTIONS=$functions \
    FAULT_CAMPAIGN_VARIANTS=$variants \
    FAULT_CAMPAIGN_OUT="Z:${out//\//\\}" E2E_DPI_SCALES="" \
    "$source_dir/tools/run-e2e.sh" "$build" --gtest_filter='FaultCampaign.*' >"$out_dir/log-$bitness.txt" 2>&1 || true
  echo "fault-campaign: $bitness took $(($(date +%s) - start)) s"
  [ -s "$out" ] || { echo "fault-campaign: $bitness wrote no results; see $out_dir/log-$bitness.txt" >&2; exit 2; }
  results+=("$bitness=$out")
done
# Exit code 77 tells ctest the campaign was skipped, not passed.
[ ${#results[@]} -gt 0 ] || { echo "fault-campaign: SKIPPED: no build tree could be run" >&2; exit 77; }
skipped_list=$(IFS=';'; echo "${skipped[*]:-}")
/usr/bin/python3 - "$table" "$skipped_list" "${results[@]}" <<'PY'
import collections, sys

table, skipped = sys.argv[1:3]
meta = {}
for item in sys.argv[3:]:
    bitness, path = item.split("=", 1)
    for row in open(path, encoding="utf-8"):
        f = row.rstrip("\n").split("\t")
        if f[0] == "meta":
            meta[bitness] = f[1:4]
mode = next(iter(meta.values()))[2] if meta else "full"
# not-run: the injector did not load, so the run says nothing.
bad = ("crashed", "hung", "silent", "system-box", "not-run")
outcomes = ("survived", "reported") + bad
kinds = outcomes + ("untrue number",)  # the last one counts reports, not runs
# The number that names the cause of a failure the injector made:
# ERROR_NOT_READY (21) is the disc not ready, ERROR_NOT_ENOUGH_MEMORY (8)
# out of memory.
true_number = {21: "71", 8: "7"}
lines = ["# Fault campaign", ""]
for bitness, (commit, when, how) in meta.items():
    lines.append(f"{bitness}: measured on commit {commit}, {when} UTC, by "
                 f"`tools/fault-campaign.sh{'' if how == 'full' else ' --' + how}` under Wine.")
lines += [
    "",
    {"full": "Each function a scene reaches is failed at call 1, call 2, every call from "
             "the first, every call from the scene's middle (`mid+`), and every call from "
             "the middle made off the thread that runs main (`mid+ thread`: the player's "
             "playback thread), counted from main; calls the C runtime makes before main "
             "are never failed.",
     "first-call": "Only call 1 of each function is failed.",
     "count": "Only the runs without a fault."}[mode],
    "",
]
if skipped:
    lines += ["Not run: " + ", ".join(skipped.split(";")) + ".", ""]
totals, failing, reported, reached, base = [], [], [], collections.defaultdict(list), []
cause = {}
grand = collections.Counter()
for item in sys.argv[3:]:
    bitness, path = item.split("=", 1)
    per_scene = collections.OrderedDict()
    for row in open(path, encoding="utf-8"):
        f = row.rstrip("\n").split("\t")
        if f[0] == "count":
            base.append((bitness, f[1], f[2], f[3], f[4] if len(f) > 4 else ""))
            if f[2] != "survived":
                failing.append((bitness, f[1], "none (the scene alone)", "-", f[2], f[3]))
            per_scene.setdefault(f[1], collections.Counter())
        elif f[0] == "reach":
            reached[(bitness, f[1])].append(f"{f[2]} ({f[4]})")
            if len(f) > 6:
                cause[(bitness, f[1], f[2])] = int(f[6])
        elif f[0] == "run":
            _, scene, function, variant, kind, detail, stop, ms = f
            per_scene.setdefault(scene, collections.Counter())[kind] += 1
            grand[kind] += 1
            if kind in bad:
                failing.append((bitness, scene, function, variant, kind, detail))
            elif kind == "reported":
                error = cause.get((bitness, scene, function))
                expected = true_number.get(error)
                number = detail.split(",")[0]
                verdict = "" if expected is None or number == expected else f"cause names {expected}"
                if verdict:
                    per_scene[scene]["untrue number"] += 1
                    grand["untrue number"] += 1
                reported.append((bitness, scene, function, variant, detail,
                                 "?" if error is None else str(error), verdict))
    for scene, c in per_scene.items():
        totals.append((scene, bitness, c))

lines += ["## Totals", "",
          "| scene | bitness | runs | " + " | ".join(kinds) + " |",
          "|---|---|---|" + "---|" * len(kinds)]
for scene, bitness, c in totals:
    lines.append(f"| {scene} | {bitness} | {sum(c[k] for k in outcomes)} | "
                 + " | ".join(str(c[k]) for k in kinds) + " |")
lines.append(f"| all | | {sum(grand[k] for k in outcomes)} | " + " | ".join(str(grand[k]) for k in kinds) + " |")
lines += ["", "A scene's run without a fault (the counting run):", ""]
for bitness, scene, kind, detail, stop in base:
    extra = f"; Stop while a read waits took {stop} ms" if stop else ""
    lines.append(f"- {scene} ({bitness}): {kind}{': ' + detail if detail else ''}{extra}")
lines += ["", "## Runs that break the rule", "",
          "| scene | bitness | function | call | outcome | what happened |", "|---|---|---|---|---|---|"]
lines += [f"| {s} | {b} | {fn} | {v} | {k} | {d} |" for b, s, fn, v, k, d in failing] or ["| none |||||"]
lines += ["", "## Reports", "",
          "The last error the failed call left, and whether the number names it.", "",
          "| scene | bitness | function | call | report number | last error | untrue |",
          "|---|---|---|---|---|---|---|"]
lines += [f"| {s} | {b} | {fn} | {v} | {d} | {e} | {u} |"
          for b, s, fn, v, d, e, u in reported] or ["| none ||||||"]
lines += ["", "## Functions each scene reaches", "", "With their calls from main in the counting run.", ""]
for (bitness, scene), names in reached.items():
    lines.append(f"- {scene} ({bitness}): " + ", ".join(names))
lines += ["", "## Left out", "",
          "- Calls the C runtime makes before main (through `__wgetmainargs` and its copy of the arguments): no program "
          "can survive a failure there. The injector counts them apart and never fails them.",
          "- Functions outside the injector's table (`tests/e2e/fault_injector.cpp` names "
          "each kind): those that cannot fail (GetLastError, GetCurrentProcess, Sleep, "
          "critical sections), that fail only on an invalid argument (TlsGetValue, "
          "OffsetRect), whose failure value is also an answer (IsWindowVisible, GetParent, "
          "ShowWindow, PeekMessageW), that pass messages on (DefWindowProcW, "
          "DispatchMessageW, SendMessageW), the C runtime's start-up, string, memory and "
          "output functions, the unwinder's functions, which only a crash reaches, "
          "LocalFree (its failure value is its argument) and FormatMessageA.",
          "- Calls that system DLLs make inside themselves (the imaging component behind "
          "CoCreateInstance, winmm's own calls): only the program's own calls are failed.",
          "- In the disc-out scene, ReadFile and CreateFileW are not failed once more: the "
          "scene fails them itself from the disc's removal on.",
          "- A failing call returns at once, except the disc-out scene's reads, which wait "
          "3 s first; a call that blocks without failing is not simulated otherwise."]
open(table, "w", encoding="utf-8").write("\n".join(lines) + "\n")

for scene, bitness, c in totals:
    print(f"fault-campaign: {scene} {bitness}: {sum(c[k] for k in outcomes)} runs: "
          + ", ".join(f"{c[k]} {k}" for k in kinds))
print(f"fault-campaign: all: {sum(grand[k] for k in outcomes)} runs: " + ", ".join(f"{grand[k]} {k}" for k in kinds))
print(f"fault-campaign: table written to {table}")
broken = any(grand[k] for k in bad + ("untrue number",)) or any(b[2] != "survived" for b in base)
# A scene whose counting run saw no call of the program's own failed
# nothing, so it proves nothing: the injector lost track of main.
clean = {(b[1], b[0]) for b in base if b[2] == "survived"}
empty = [f"{scene} {bitness}" for scene, bitness, c in totals
         if sum(c[k] for k in outcomes) == 0 and (scene, bitness) in clean]
if empty:
    print("fault-campaign: no run failed a call in " + ", ".join(empty)
          + ": the counting run saw no call after main", file=sys.stderr)
    broken = True
sys.exit(1 if broken else 0)
PY
