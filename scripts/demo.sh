#!/usr/bin/env bash
# Sets up, builds and runs the tool's main job on the built-in simulated installation.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
./build/default/src/app/quorfwupdate
