#!/usr/bin/env bash
# Builds the normal and the sanitizer trees with their tests (no benchmarks, light debug
# information), runs every test in the sanitizer tree and all but the whole-program ones in the
# normal tree. Prints each phase's wall and processor time as it
# ends and a table of them all at the end (processor time: user + system of everything the
# phase ran; on an idle machine of N cores a phase takes about that / N, plus its serial
# stretches).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/phases.sh
export ZEPHLON_PHASE_LOG
ZEPHLON_PHASE_LOG=$(mktemp)
trap 'phase_table; rm -f "$ZEPHLON_PHASE_LOG"' EXIT
jobs=${ZEPHLON_JOBS:-$(nproc)}
phase "packages" scripts/deps.sh
scripts/build.sh tests
# The optimised tree leaves the whole-program tests (label `program`) to the sanitizer tree,
# which runs every test; those that check what only the optimised program shows are labelled
# `program-optimised` and run in both (tests/README.md).
phase "tests: run" ctest --test-dir build --output-on-failure -j "$jobs" -LE '^program$'

scripts/build.sh sanitize
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  phase "sanitize: run" ctest --test-dir build/asan --output-on-failure -j "$jobs"
