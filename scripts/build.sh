#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh [normal|program|tests|sanitize]
#   normal    build/: everything, the benchmarks too, with full debug information
#   program   build/: only what running needs (zephlon, simrun, the data maker and the
#             installation); an existing tree keeps its settings
#   tests     build/: the program and every test, no benchmarks, light debug information
#             (ZEPHLON_UNIT_TESTS=OFF: only the whole-program tests, as scripts/test.sh builds it)
#   sanitize  build/asan/: the program and every test under AddressSanitizer and
#             UndefinedBehaviorSanitizer, light debug information; its starter installation's
#             data is copied from build/install (made first when missing), not made again by the
#             instrumented data maker
# The tests and sanitize trees compile the libraries in unity batches of eight files
# (ZEPHLON_UNITY; ZEPHLON_UNITY=OFF in the environment builds them a file a unit); the normal
# and program trees keep a unit a file, for quick incremental builds.
# A new tree is generated for Ninja when it is installed (it keeps both cores busy across
# targets); an existing tree keeps its generator. Each step's wall and processor time is
# printed (see scripts/phases.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/phases.sh
kind=${1:-normal}
jobs=${ZEPHLON_JOBS:-$(nproc)}
targets=()
case "$kind" in
  normal)   dir=build;      flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEPHLON_BENCH=ON -DZEPHLON_LIGHT_DEBUG_INFO=OFF -DZEPHLON_UNITY=OFF) ;;
  program)  dir=build;      flags=(); targets=(--target installation simrun) ;;
  tests)    dir=build;      flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEPHLON_BENCH=OFF -DZEPHLON_LIGHT_DEBUG_INFO=ON
                                   "-DZEPHLON_UNIT_TESTS=${ZEPHLON_UNIT_TESTS:-ON}" "-DZEPHLON_UNITY=${ZEPHLON_UNITY:-ON}") ;;
  sanitize) dir=build/asan; flags=(-DCMAKE_BUILD_TYPE=Debug -DZEPHLON_SANITIZE=ON -DZEPHLON_BENCH=OFF -DZEPHLON_LIGHT_DEBUG_INFO=ON -DZEPHLON_UNIT_TESTS=ON
                                   "-DZEPHLON_INSTALLATION_FROM=$PWD/build/install" "-DZEPHLON_UNITY=${ZEPHLON_UNITY:-ON}") ;;
  *) echo "usage: scripts/build.sh [normal|program|tests|sanitize]" >&2; exit 2 ;;
esac
if [ "$kind" = program ] && [ -f "$dir/CMakeCache.txt" ]; then
  : # a configured tree keeps its settings: running the program must not rebuild it all
elif [ "$kind" = program ]; then
  flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEPHLON_LIGHT_DEBUG_INFO=ON -DZEPHLON_UNITY=OFF)
fi
if [ "$kind" = sanitize ] && [ ! -f build/install/.stamp ]; then
  scripts/build.sh program
fi
if [ ! -f "$dir/CMakeCache.txt" ] && command -v ninja > /dev/null; then
  flags+=(-G Ninja)
fi
phase "$kind: configure" cmake -S . -B "$dir" "${flags[@]}" > /dev/null
phase "$kind: build" cmake --build "$dir" -j "$jobs" "${targets[@]}"
