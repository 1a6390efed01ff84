#!/usr/bin/env python3
"""Checks that the program opens files only through platform/file_system.

That one place opens without waiting, refuses what is not a plain file, bounds what it reads and
replaces files whole; a stream or a descriptor opened anywhere else would do none of that. Every
source file of the program (not tools/, tests/, bench/, scripts/ or third_party/) is read for the ways C and
C++ open a file: file streams, fopen, freopen, open, openat, creat and mkstemp.

Usage: check_file_opens.py [SOURCE_DIR]
Prints "file:line: text" for each open found elsewhere and exits 1 when there is one.
"""

import os
import re
import sys

SKIPPED = {"tools", "tests", "bench", "third_party", "build", ".git", "resources", "scripts"}
SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cc", ".cpp")

# The file that opens, and the opens elsewhere that are no file of the program, each with why.
ALLOWED = {
    "platform/file_system.cpp": "the gate itself",
    # The lock of one running copy per folder: a descriptor held open for flock, never read.
    "win/single_instance.cpp": "the lock",
}

OPEN = re.compile(r"\b(?:std::)?[io]?fstream\b|\b(?:fopen|freopen|fdopen|openat|creat|mkstemp|"
                  r"mkostemp|copy_file)\s*\(|(?:^|[^\w.>:])(?:::)?open\s*\(")


def strip(line):
    """The line without its // comment and string literals."""
    line = re.sub(r'"(?:\\.|[^"\\])*"', '""', line)
    return line.split("//", 1)[0]


def violations(root):
    found = []
    for folder, dirs, files in os.walk(root):
        rel = os.path.relpath(folder, root)
        if rel == ".":
            dirs[:] = [d for d in dirs if d not in SKIPPED and not d.startswith("build")]
        dirs.sort()
        for name in sorted(files):
            if not name.endswith(SOURCE_SUFFIXES):
                continue
            path = os.path.normpath(os.path.join(rel, name))
            if path in ALLOWED:
                continue
            with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
                for number, line in enumerate(source, 1):
                    code = strip(line)
                    if code.lstrip().startswith("#include"):
                        continue
                    if OPEN.search(code):
                        found.append(f"{path}:{number}: {line.strip()}")
    return found


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(
        os.path.abspath(__file__)))
    found = violations(root)
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} files opened outside platform/file_system", file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
