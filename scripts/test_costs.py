#!/usr/bin/env python3
"""Writes cmake/test_costs.cmake from the two trees' last runs (build/ and build/asan/
Testing/Temporary/CTestCostData.txt): the seconds of each tree's slowest tests, which ctest
starts first on a fresh tree (a tree's own cost data takes over once it has run).
Usage: scripts/test_costs.py [COUNT]   (COUNT slowest tests of each tree, 60 by default)"""
import pathlib
import sys

root = pathlib.Path(__file__).resolve().parent.parent
count = int(sys.argv[1]) if len(sys.argv) > 1 else 60


def costs(tree):
    path = root / tree / "Testing" / "Temporary" / "CTestCostData.txt"
    rows = []
    if not path.exists():
        return rows
    for line in path.read_text().splitlines():
        if line.startswith("---"):
            break
        parts = line.rsplit(" ", 2)
        if len(parts) == 3:
            # A parameter's bytes (addresses) change with every build: keep the name before them.
            rows.append((float(parts[2]), parts[0].split("  # GetParam() = ")[0]))
    latest = {}
    for seconds, name in rows:
        latest[name] = seconds  # the last line of a name that recurs is its newest build's
    return sorted(((s, n) for n, s in latest.items()), reverse=True)[:count]


def block(rows):
    return "".join(f"  set([==[zephlon_cost_{name}]==] {seconds:.0f})\n" for seconds, name in rows)


normal = costs("build")
# The checked tree runs each test some times slower, in about the same order: without a run of
# its own, the normal tree's order serves it.
checked = costs("build/asan") or normal
text = ("# The slowest tests' seconds in each kind of tree, written by scripts/test_costs.py from\n"
        "# measured runs; read by cmake/test_labels.cmake.\n")
if checked == normal:
    text += block(normal).replace("  set(", "set(")
else:
    text += "if(ZEPHLON_TREE_SANITIZE)\n" + block(checked) + "else()\n" + block(normal) + "endif()\n"
(root / "cmake" / "test_costs.cmake").write_text(text)
