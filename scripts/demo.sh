#!/usr/bin/env bash
# Sets up and builds the tool, then shows its main job on the built-in simulated
# installation against a demo package built with qup-pack from data/:
#  - with a display, the desktop window opens (quorfwupdate --simulate): choose Scan, then
#    Update, and watch the grid, the progress bar and the step counter; close the window
#    to end the demo;
#  - without one, the terminal demo runs a scan and an update on the command line.
# Settings, logs and packages live in a temporary home that is removed afterwards, so a
# technician's own settings are never touched. QUORFW_DEMO=terminal forces the terminal demo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target quorfwupdate qup-pack

build=build/default
demo=$(mktemp -d "${TMPDIR:-/tmp}/quorfw-demo.XXXXXX")
trap 'rm -rf "$demo"' EXIT
export HOME="$demo/home" XDG_CONFIG_HOME="$demo/home/.config" XDG_DATA_HOME="$demo/home/.local/share"
packages="$XDG_DATA_HOME/quor/ModuleUpdate"
mkdir -p "$packages" "$XDG_CONFIG_HOME/quor"
"$build/tools/qup-pack" data/quick/demo-installation.qupm "$packages/demo-installation.qup"
tool="$build/src/app/quorfwupdate"

if [[ "${QUORFW_DEMO:-}" != terminal && ( -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ) ]]; then
  # A fresh download date, so the window does not open with the reminder to look for packages.
  printf '[Settings]\nLastUpdate=%s\nShowDownload=0\n' "$(date '+%d.%m.%Y %H:%M:%S')" \
    >"$XDG_CONFIG_HOME/quor/quorFWupdate.conf"
  echo "== quorfwupdate --simulate (the window; close it to end the demo)"
  "$tool" --simulate
  exit
fi

echo "== quorfwupdate scan --simulate"
"$tool" scan --simulate --folder "$packages"
echo
echo "== quorfwupdate update --simulate"
"$tool" update --simulate --folder "$packages"
