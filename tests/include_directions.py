#!/usr/bin/python3
"""Includes point down: every file under src/ includes only what the README's folder table allows.

The table under "What is in the repository" names, for each folder of src/, the folders it builds on;
a folder may include those and, through them, whatever they build on. A ui folder (src/X/ui) may
include X, what X may include, and the widgets; only the desktop program's main.cpp includes the ui
folders of others. Usage: include_directions.py REPOSITORY_ROOT
"""

import os
import re
import sys

PROGRAM = "app/main.cpp"  # assembles every window; the one file that may include any ui folder
WIDGETS = "widgets"
TABLE_HEADING = "## What is in the repository"
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"](([a-z]+)/[^>"]+)[>"]')  # the path and its first folder


def read_table(readme):
    """Folder -> the folders it builds on, from the README's folder table."""
    text = open(readme, encoding="utf-8").read().split(TABLE_HEADING, 1)[-1].split("\n## ", 1)[0]
    rows = re.findall(r"^\|\s*`src/([a-z]+)`\s*\|[^|\n]*\|([^|\n]*)", text, re.M)
    return {folder: set(re.findall(r"`([a-z]+)`", builds_on)) for folder, builds_on in rows}


def below(table, folder, seen):
    """Every folder that `folder` builds on, directly or through others."""
    for lower in table.get(folder, ()):
        if lower not in seen:
            seen.add(lower)
            below(table, lower, seen)
    return seen


def split(path):
    """'secondary/ui/TStationDialog.h' -> ('secondary', True)."""
    parts = path.split("/")
    return parts[0], len(parts) > 2 and parts[1] == "ui"


def check(root):
    src = os.path.join(root, "src")
    table = read_table(os.path.join(root, "README.md"))
    folders = sorted(d for d in os.listdir(src) if os.path.isdir(os.path.join(src, d)))
    faults = [f"src/{d}: no row in the README's folder table" for d in folders if d not in table]
    faults += [f"src/{d}: the README's folder table has a row, src/ has no such folder"
               for d in table if d not in folders]
    faults += [f"src/{d}: builds on {u}, which has no row" for d in table for u in table[d] if u not in table]
    allowed = {folder: below(table, folder, set()) for folder in table}
    for name, line, target in includes(src, folders):
        folder, ui = split(name)
        lower, lower_ui = split(target)
        may = allowed.get(folder, set()) | ({folder, WIDGETS} | allowed.get(WIDGETS, set()) if ui else set())
        if lower_ui and lower != folder:
            why = "only the desktop program includes another folder's windows"
        elif lower_ui and not ui:
            why = "a folder's logic never includes its own windows"
        elif lower != folder and lower not in may:
            why = f"{folder}{'/ui' if ui else ''} may include {', '.join(sorted(may)) or 'nothing'}"
        else:
            continue
        faults.append(f"src/{name}:{line}: includes {target}: {why}")
    return faults


def includes(src, folders):
    """(path below src, line, included path) of every include of a src folder, but the program's."""
    for top, _, files in os.walk(src):
        for file in sorted(f for f in files if f.endswith((".h", ".cpp"))):
            name = os.path.relpath(os.path.join(top, file), src).replace(os.sep, "/")
            with open(os.path.join(top, file), encoding="utf-8", errors="replace") as text:
                for number, line in enumerate(text, 1):
                    match = INCLUDE.match(line)
                    if match and match.group(2) in folders and name != PROGRAM:
                        yield name, number, match.group(1)


def main():
    faults = check(sys.argv[1] if len(sys.argv) > 1 else ".")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} include(s) against the folder table of README.md" if faults
          else "every include under src/ points down the README's folder table")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
