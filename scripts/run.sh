#!/usr/bin/env bash
# Installs what the build needs, builds what running needs (the program, the headless runner,
# the data maker and the starter installation in build/install; no tests, no benchmarks) and
# starts the simulator there. Without a display, flies the first flight headless with simrun
# instead and says where its picture is.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh program
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cd build/install
  exec ./zephlon
fi
echo "zephlon: no display (DISPLAY is not set), so the window cannot open." >&2
echo "Running the first flight headless instead: build/bin/simrun --dir build/install scripts/first-flight.simrun" >&2
build/bin/simrun --dir build/install scripts/first-flight.simrun
echo "Its picture: build/first-flight.bmp" >&2
