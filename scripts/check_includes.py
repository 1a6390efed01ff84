#!/usr/bin/env python3
"""Checks that the source folders include one another only downward.

The layers, bottom up: platform, win, core, gfx, ts, flight, the subsystems (world, cockpit,
devices, nav, ui, planning), sim, app. The rules:

  lower-layer         platform, win, core, gfx and ts include nothing above them
  flight-below        flight includes no subsystem
  below-sim           nothing below sim includes sim or app
  public-face         a subsystem includes only the public headers of another subsystem

A subsystem names its public headers in its README, on a line that starts with "Public face:"
(the names in backquotes up to the next blank line). The files of tools/, tests/ and bench/ are
not read, and resources/ (the menu ids shared with the resource script) may be included anywhere.
An include is read with quotes or angle brackets, and a path with ".." is taken from the folder
of the file that holds it.

Usage: check_includes.py [SOURCE_DIR]   (the tree this script lies in by default; the exceptions
below hold for that tree only)
Prints "file:line: rule: text" for each violation and exits 1 when there is one.
"""

import os
import re
import sys

LEVELS = {"platform": 0, "win": 1, "core": 2, "gfx": 3, "ts": 4, "flight": 5,
          "world": 6, "cockpit": 6, "devices": 6, "nav": 6, "ui": 6, "planning": 6,
          "sim": 7, "app": 8}
SUBSYSTEMS = sorted(f for f, level in LEVELS.items() if level == 6)
LOWER = ("platform", "win", "core", "gfx", "ts")
SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cc", ".cpp")

# Includes still waiting to be mended, each as (including file, included header). Every entry
# must still be needed: one whose include has gone fails the check, so the list only shrinks.
EXCEPTIONS = {
}

INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')


def public_headers(root, folder):
    """The headers the folder's README names after "Public face:"."""
    names = set()
    try:
        with open(os.path.join(root, folder, "README.md"), encoding="utf-8") as readme:
            lines = readme.read().splitlines()
    except OSError:
        return names
    inside = False
    for line in lines:
        if line.startswith("Public face:"):
            inside = True
        elif not line.strip():
            inside = False
        if inside:
            names.update(n for n in re.findall(r"`([^`]+)`", line) if "/" in n)
    return names


def rule_broken(source, header, public):
    """The rule an include of `header` from folder `source` breaks, or None."""
    target = header.split("/", 1)[0]
    if target not in LEVELS or target == source:
        return None
    here, there = LEVELS[source], LEVELS[target]
    if source in LOWER and there > here:
        return "lower-layer", f"{source}/ includes {header}, which lies above it"
    if here < LEVELS["sim"] and target in ("sim", "app"):
        return "below-sim", f"{source}/ lies below sim/ and includes {header}"
    if source == "flight" and target in SUBSYSTEMS:
        return "flight-below", f"flight/ lies below the subsystems and includes {header}"
    if source in SUBSYSTEMS and target in SUBSYSTEMS and header not in public[target]:
        return ("public-face",
                f"{header} is not in the public face {target}/README.md names")
    return None


def check(root, exceptions):
    """Returns the violation lines of the tree at root, sorted."""
    public = {folder: public_headers(root, folder) for folder in SUBSYSTEMS}
    found, used = [], set()
    for folder in sorted(LEVELS):
        for dirpath, dirnames, filenames in os.walk(os.path.join(root, folder)):
            dirnames.sort()
            for name in sorted(filenames):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(dirpath, name)
                relative = os.path.relpath(path, root).replace(os.sep, "/")
                with open(path, encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        header = match.group(1)
                        if header.startswith("../"):
                            header = os.path.relpath(os.path.normpath(
                                os.path.join(os.path.dirname(path), header)), root)
                            header = header.replace(os.sep, "/")
                        broken = rule_broken(folder, header, public)
                        if not broken:
                            continue
                        key = (relative, header)
                        if key in exceptions:
                            used.add(key)
                            continue
                        found.append(f"{relative}:{number}: {broken[0]}: {broken[1]}")
    for relative, header in sorted(set(exceptions) - used):
        found.append(f"{relative}:0: stale-exception: the check no longer needs the "
                     f"exception for {header}; remove it")
    return found


def main(argv):
    own = os.path.realpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    root = os.path.realpath(argv[1]) if len(argv) > 1 else own
    # The exceptions name files of this tree; another tree (a test's) is checked without them.
    found = check(root, EXCEPTIONS if root == own else {})
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) cross the layers", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
