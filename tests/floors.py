#!/usr/bin/env python3
"""The floors of the source tree hold: a folder includes only its own files and the floors below.

Reads every `#include "..."` of the program's folders and prints each one that reaches up to a
floor above the including file's own, or across to another folder on the same floor, naming the
file, its line and the include; the exit status is 1 when there is any. Tests, benchmarks and
tools stand beside the floors and may include any of them, so they are not read.

    floors.py SOURCE_DIR
"""
import pathlib
import re
import sys

# From the ground up; the folders on one floor do not include one another.
FLOORS = [
    ["core"],
    ["db/xbase"],
    ["db"],
    ["ui"],
    ["masters", "setup", "import", "mail"],
    ["invoice"],
    ["report"],
    ["reports", "labels"],
    ["app", "admin"],
]
FLOOR_OF = {folder: level for level, folders in enumerate(FLOORS) for folder in folders}
SOURCE_SUFFIXES = {".h", ".cpp", ".in"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(path):
    """The floor folder a path (relative to the source root) lies in, the deepest that fits."""
    parts = pathlib.PurePosixPath(path).parts
    for depth in range(len(parts) - 1, 0, -1):
        folder = "/".join(parts[:depth])
        if folder in FLOOR_OF:
            return folder
    return None


def faults(root):
    for folder in FLOOR_OF:
        for source in sorted((root / folder).glob("*")):
            if source.suffix not in SOURCE_SUFFIXES or not source.is_file():
                continue
            own = str(source.relative_to(root))
            if folder_of(own) != folder:
                continue
            lines = source.read_text(encoding="utf-8", errors="replace").splitlines()
            for number, line in enumerate(lines, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                included = match.group(1)
                if not (root / included).exists():
                    included = str((source.parent / included).relative_to(root))
                target = folder_of(included)
                if target == folder:
                    continue
                if target is None:
                    why = "a file outside the floors"
                elif FLOOR_OF[target] > FLOOR_OF[folder]:
                    why = f"{target}/ is a floor above {folder}/"
                elif FLOOR_OF[target] == FLOOR_OF[folder]:
                    why = f"{target}/ is on the same floor as {folder}/"
                else:
                    continue
                yield f'{own}:{number}: #include "{match.group(1)}": {why}'


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1].strip())
    found = list(faults(pathlib.Path(sys.argv[1]).resolve()))
    for fault in found:
        print(fault)
    print(f"{len(found)} include(s) against the floors")
    sys.exit(1 if found else 0)


if __name__ == "__main__":
    main()
