#!/usr/bin/env bash
# Sets up and builds the tool, then runs its main job in real time on the built-in
# simulated installation: a scan, then an update, against a demo package built with
# qup-pack from data/. Settings, logs and packages live in a temporary home that is removed
# afterwards, so a technician's own settings are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target quorfwupdate qup-pack

build=build/default
demo=$(mktemp -d "${TMPDIR:-/tmp}/quorfw-demo.XXXXXX")
trap 'rm -rf "$demo"' EXIT
mkdir -p "$demo/home" "$demo/packages"
export HOME="$demo/home" XDG_CONFIG_HOME="$demo/home/.config" XDG_DATA_HOME="$demo/home/.local/share"
"$build/tools/qup-pack" data/quick/demo-installation.qupm "$demo/packages/demo-installation.qup"

tool="$build/src/app/quorfwupdate"
echo "== quorfwupdate scan --simulate"
"$tool" scan --simulate --folder "$demo/packages"
echo
echo "== quorfwupdate update --simulate"
"$tool" update --simulate --folder "$demo/packages"
