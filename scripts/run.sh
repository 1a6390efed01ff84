#!/usr/bin/env bash
# Installs what the build needs, builds everything and starts the program's main job.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh normal
exec build/bin/volpack --help
