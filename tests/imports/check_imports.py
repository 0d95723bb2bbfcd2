#!/usr/bin/python3
"""Lists every function the given executables import, with the first Windows
that has it, and fails when an import is missing from the table or needs a
Windows newer than the oldest the programs support, or when an executable
lacks IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP (each runs from the disc, and
Windows would otherwise page it from there; cmake/pe_run_from_swap.py sets
it).

usage: check_imports.py TABLE EXECUTABLE...

TABLE is tab-separated: dll, function, first Windows (one of WINDOWS_VERSIONS),
and an optional note; lines starting with "#" and blank lines are skipped.
"""

import sys

from pe_imports import PeFormatError, read_characteristics, read_imports

# In release order; each Windows has every function its predecessors have.
WINDOWS_VERSIONS = [
    "Windows 2000",
    "Windows XP",
    "Windows XP SP1",
    "Windows XP SP2",
    "Windows Vista",
    "Windows 7",
    "Windows 8",
    "Windows 8.1",
    "Windows 10",
    "Windows 11",
]
OLDEST_SUPPORTED = "Windows 7"
REMOVABLE_RUN_FROM_SWAP = 0x0400


class TableError(ValueError):
    """A line of the table that cannot be read; the message names it."""


def parse_table(text):
    """Returns {(dll in lower case, function): first Windows}."""
    table = {}
    for number, line in enumerate(text.splitlines(), start=1):
        if not line.strip() or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) not in (3, 4) or not all(f.strip() for f in fields[:3]):
            raise TableError(f"line {number}: expected dll, function, first Windows[, note]")
        dll, function, version = fields[0].lower(), fields[1], fields[2]
        if version not in WINDOWS_VERSIONS:
            raise TableError(f"line {number}: unknown Windows version {version!r}")
        if (dll, function) in table:
            raise TableError(f"line {number}: {dll} {function} is listed twice")
        table[(dll, function)] = version
    return table


def problems(imports, table):
    """The imports that are missing from the table or newer than supported."""
    limit = WINDOWS_VERSIONS.index(OLDEST_SUPPORTED)
    found = []
    for dll, function in imports:
        version = table.get((dll, function))
        if version is None:
            found.append(f"{dll} {function}: not in the table; add it with the first "
                         "Windows that has it, as Microsoft documents it")
        elif WINDOWS_VERSIONS.index(version) > limit:
            found.append(f"{dll} {function}: needs {version}, newer than {OLDEST_SUPPORTED}; "
                         "bind it at run time in runtime/win/system_functions")
    return found


def flag_problems(characteristics):
    """The file header flags an executable on the disc lacks."""
    if characteristics & REMOVABLE_RUN_FROM_SWAP:
        return []
    return [f"Characteristics {characteristics:#06x} lack IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP "
            f"({REMOVABLE_RUN_FROM_SWAP:#06x}): Windows would page it from the disc; "
            "cmake/pe_run_from_swap.py sets it after linking"]


def main(argv):
    if len(argv) < 3:
        print("usage: check_imports.py TABLE EXECUTABLE...", file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8") as file:
        table = parse_table(file.read())
    failures = 0
    for path in argv[2:]:
        try:
            imports = read_imports(path)
            characteristics = read_characteristics(path)
        except (OSError, PeFormatError) as error:
            print(f"FAIL {path}: {error}")
            failures += 1
            continue
        newest = max((WINDOWS_VERSIONS.index(table[i]) for i in imports if i in table), default=0)
        print(f"{path}: {len(imports)} imports, the newest from {WINDOWS_VERSIONS[newest]}; "
              f"Characteristics {characteristics:#06x}")
        for dll, function in imports:
            print(f"  {dll}\t{function}\t{table.get((dll, function), '(not in the table)')}")
        for problem in problems(imports, table) + flag_problems(characteristics):
            print(f"FAIL {path}: {problem}")
            failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
