#!/usr/bin/env bash
# Builds the normal and the sanitizer trees with their tests (no benchmarks, light debug
# information) and runs every test in both.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=${ZEPHLON_JOBS:-$(nproc)}
scripts/build.sh tests
ctest --test-dir build --output-on-failure -j "$jobs"
scripts/build.sh sanitize
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan --output-on-failure -j "$jobs"
