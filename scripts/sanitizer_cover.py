#!/usr/bin/env python3
"""Chooses the whole-program tests the sanitizer tree runs.

Every whole-program test of a coverage tree (configured with -DZEPHLON_COVERAGE=ON) runs once
with its own record of the program's code it reached (scripts/coverage/trace_pc.c); the
records become source lines, and the tests are chosen greedily, the most lines no chosen test
reaches per processor-second first, until the chosen ones have spent their share (--budget,
a tenth by default) of all the whole-program tests' processor time. The suites of hostile
input are labelled for the sanitizer tree by cmake/test_labels.cmake whatever this finds, and the flight figures stay in the optimised tree.
Writes cmake/sanitized_tests.cmake.

  scripts/sanitizer_cover.py build/coverage [-j N] [--keep DIR] [--reuse | --from-log LOG] [--output FILE]
"""
import argparse
import collections
import json
import os
import re
import resource
import shutil
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# Figures of the flight model as shipped: only the optimised program shows them.
OPTIMISED_ONLY = re.compile(r"FlightFigures|BookClimb|BookTakeOff")


def stable_name(name):
    return re.sub(r"  # GetParam\(\) = .*$", "", name)


def whole_program_tests(tree):
    text = subprocess.run(["ctest", "--test-dir", tree, "--show-only=json-v1", "-L", "^program"],
                          check=True, capture_output=True, text=True).stdout
    tests = []
    for test in json.loads(text)["tests"]:
        properties = {p["name"]: p["value"] for p in test.get("properties", [])}
        tests.append({"name": test["name"], "command": test["command"],
                      "cwd": properties.get("WORKING_DIRECTORY", tree),
                      "env": properties.get("ENVIRONMENT", []),
                      "timeout": float(properties.get("TIMEOUT", 900))})
    return tests


def run_one(test, record_dir):
    env = dict(os.environ, ZEPHLON_COVERAGE_DIR=record_dir)
    for pair in test["env"]:
        key, _, value = pair.partition("=")
        env[key] = value
    os.makedirs(record_dir, exist_ok=True)
    start = time.monotonic()
    child = subprocess.Popen(test["command"], cwd=test["cwd"], env=env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                             start_new_session=True)
    timer = threading.Timer(test["timeout"], lambda: os.killpg(child.pid, 9))
    timer.start()
    _, status, usage = os.wait4(child.pid, 0)
    timer.cancel()
    return {"name": test["name"], "status": status, "wall": time.monotonic() - start,
            "cpu": usage.ru_utime + usage.ru_stime, "dir": record_dir}


def run_all(tests, keep, jobs):
    runs, lock, queue = [], threading.Lock(), list(enumerate(tests))
    def worker():
        while True:
            with lock:
                if not queue:
                    return
                index, test = queue.pop(0)
            result = run_one(test, os.path.join(keep, "runs", str(index)))
            with lock:
                runs.append(result)
                print(f"[{len(runs)}/{len(tests)}] {result['cpu']:7.1f} s "
                      f"{'ok  ' if result['status'] == 0 else 'FAIL'} {test['name']}", flush=True)
    threads = [threading.Thread(target=worker) for _ in range(jobs)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    return runs


def read_records(record_dir):
    """{executable: set of offsets} of one run's processes."""
    offsets = collections.defaultdict(set)
    for name in os.listdir(record_dir):
        if not name.endswith(".pcs"):
            continue
        with open(os.path.join(record_dir, name)) as f:
            exe = f.readline().strip()
            offsets[exe].update(int(line, 16) for line in f if line.strip())
    return offsets


def lines_of(exe, offsets):
    """{offset: 'file:line'} for the program's own code (not the tests', not the system's)."""
    if not offsets or not os.path.exists(exe):
        return {}
    ordered = sorted(offsets)
    out = subprocess.run(["addr2line", "-e", exe], input="\n".join(f"{o:x}" for o in ordered),
                         capture_output=True, text=True, check=True).stdout.splitlines()
    result = {}
    for offset, where in zip(ordered, out):
        path, _, line = where.rpartition(":")
        line = line.split(" ")[0]
        if not path.startswith(ROOT + "/") or line in ("0", "?"):
            continue
        relative = os.path.relpath(os.path.realpath(path), ROOT)
        if relative.startswith(("tests/", "scripts/", "build")):
            continue
        result[offset] = f"{relative}:{line}"
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tree")
    parser.add_argument("-j", type=int, default=os.cpu_count())
    parser.add_argument("--keep", help="keep the records here (default: a temporary folder)")
    parser.add_argument("--reuse", action="store_true", help="read the kept runs, run nothing")
    parser.add_argument("--from-log", help="read the runs an interrupted chooser printed, run nothing")
    parser.add_argument("--budget", type=float, default=0.1,
                        help="the share of the whole-program tests' processor time to spend")
    parser.add_argument("--output", default=os.path.join(ROOT, "cmake", "sanitized_tests.cmake"))
    args = parser.parse_args()
    keep = args.keep or tempfile.mkdtemp(prefix="zephlon-cover-")
    runs_file = os.path.join(keep, "runs.json")
    if args.reuse:
        with open(runs_file) as f:
            runs = json.load(f)
    elif args.from_log:
        # The runs an interrupted chooser had finished, read back from its output.
        index = {t["name"]: i for i, t in enumerate(whole_program_tests(args.tree))}
        runs = []
        with open(args.from_log) as f:
            for line in f:
                m = re.match(r"\[\d+/\d+\]\s+([\d.]+) s (ok  |FAIL) (.*)$", line.rstrip("\n"))
                if m and m.group(3) in index:
                    runs.append({"name": m.group(3), "status": 0 if m.group(2) == "ok  " else 1,
                                 "cpu": float(m.group(1)),
                                 "dir": os.path.join(keep, "runs", str(index[m.group(3)]))})
        print(f"{len(runs)} of {len(index)} whole-program tests had run", file=sys.stderr)
    else:
        if os.path.isdir(os.path.join(keep, "runs")):
            shutil.rmtree(os.path.join(keep, "runs"))
        runs = run_all(whole_program_tests(args.tree), keep, args.j)
        with open(runs_file, "w") as f:
            json.dump(runs, f)
    failed = [r["name"] for r in runs if r["status"] != 0]
    if failed:
        print(f"{len(failed)} tests failed in the coverage tree (their lines still count):",
              *failed[:20], sep="\n  ", file=sys.stderr)
    per_run = {r["name"]: read_records(r["dir"]) for r in runs}
    union = collections.defaultdict(set)
    for records in per_run.values():
        for exe, offsets in records.items():
            union[exe] |= offsets
    where = {exe: lines_of(exe, offsets) for exe, offsets in union.items()}
    reached = {}
    for name, records in per_run.items():
        lines = set()
        for exe, offsets in records.items():
            table = where[exe]
            lines.update(table[o] for o in offsets if o in table)
        reached[name] = lines
    cost = {r["name"]: max(r["cpu"], 0.05) for r in runs}
    candidates = {n for n in reached if not OPTIMISED_ONLY.search(n)}
    everything = set().union(*(reached[n] for n in candidates)) if candidates else set()
    # The hostile suites run there whatever is chosen (ZEPHLON_SANITIZED_SUITES_PATTERN in
    # cmake/zephlon.cmake): their lines are reached and their time is spent first.
    with open(os.path.join(ROOT, "cmake", "zephlon.cmake")) as f:
        hostile = re.compile(re.search(r'set\(ZEPHLON_SANITIZED_SUITES_PATTERN\s*"([^"]+)"', f.read()).group(1))
    always = [n for n in candidates if hostile.search(n.split(".")[0])]
    covered = set().union(*(reached[n] for n in always)) if always else set()
    chosen = []
    # The sanitizer tree's share of the whole-program tests' time: the tests that reach the
    # most lines no chosen test reaches, per second, until the share is spent.
    budget = args.budget * sum(cost[n] for n in candidates)
    spent_so_far = sum(cost[n] for n in always)
    candidates.difference_update(always)
    while True:
        best, best_worth = None, 0.0
        for name in candidates:
            new = len(reached[name] - covered)
            if new and new / cost[name] > best_worth:
                best, best_worth = name, new / cost[name]
        if best is None or spent_so_far + cost[best] > budget:
            break
        spent_so_far += cost[best]
        chosen.append(best)
        covered |= reached[best]
        candidates.discard(best)
    total = sum(cost.values())
    spent = spent_so_far
    share = 100.0 * len(covered) / max(len(everything), 1)
    print(f"{len(chosen)} chosen and {len(always)} hostile of {len(runs)} whole-program tests reach {len(covered)} of the "
          f"{len(everything)} lines ({share:.1f} %) the whole-program tests reach; "
          f"{spent:.0f} of {total:.0f} processor-seconds here")
    names = sorted({stable_name(n) for n in chosen})
    with open(args.output, "w") as f:
        f.write("# The whole-program tests the sanitizer tree runs beside the hostile suites: chosen by\n"
                "# scripts/sanitizer_cover.py, the most lines of the program's code no other chosen test\n"
                "# reaches per processor-second first, within its share of the whole-program tests' time:\n"
                f"# {len(names)} tests and the {len(always)} hostile ones, of {len(runs)}, {spent:.0f} of "
                f"{total:.0f} processor-seconds in the coverage tree,\n# reach {len(covered)} of the {len(everything)} lines ({share:.1f} %) "
                "the whole-program tests reach.\n"
                "set(zephlon_sanitized_tests\n")
        for name in names:
            f.write(f"  [==[{name}]==]\n")
        f.write(")\n")


if __name__ == "__main__":
    main()
