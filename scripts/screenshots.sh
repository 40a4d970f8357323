#!/usr/bin/env bash
# Renders the desktop window offscreen into PNG files: after a scan of the simulated
# installation, during and after its update, the about splash, the version list and the
# package information window. Usage: scripts/screenshots.sh [DIR]
# (default build/screenshots/).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$(realpath -m "${1:-build/screenshots}")
cmake --preset default >/dev/null
cmake --build --preset default --target quorfw-window-screenshots
QUORFW_BINARY_DIR="$PWD/build/default" QT_QPA_PLATFORM=offscreen \
  build/default/tests/gui/quorfw-window-screenshots "$dir"
