#!/usr/bin/env bash
# Builds the normal and the sanitizer trees with their tests (no benchmarks, light debug
# information) and runs every test once: the whole-program tests in the normal tree, the unit
# tests and the whole-program tests chosen for the sanitizers in the sanitizer tree. Prints each phase's wall and processor time as it
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
# The optimised tree builds and runs the whole-program tests but those the sanitizer tree runs
# (label `program-sanitized`: tests/README.md); the sanitizer tree runs the unit tests and the
# `program-sanitized` ones. Every test runs in one tree.
ZEPHLON_UNIT_TESTS=OFF scripts/build.sh tests
phase "tests: run" ctest --test-dir build --output-on-failure -j "$jobs" -L '^program$'

scripts/build.sh sanitize
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  phase "sanitize: run" ctest --test-dir build/asan --output-on-failure -j "$jobs" -LE '^program$'
