#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh [normal|sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-normal}
jobs=$(nproc)
case "$kind" in
  normal)   dir=build;      flags=() ;;
  sanitize) dir=build/asan; flags=(-DZEPHLON_SANITIZE=ON -DZEPHLON_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug) ;;
  *) echo "usage: scripts/build.sh [normal|sanitize]" >&2; exit 2 ;;
esac
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${flags[@]}" > /dev/null
cmake --build "$dir" -j "$jobs"
