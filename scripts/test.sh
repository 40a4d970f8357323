#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: the normal build, the sanitized build
# (address + undefined behaviour) and a bounded run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

export QT_QPA_PLATFORM=offscreen

echo "== build and test: default"
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default

if ls fuzz/*.cmake >/dev/null 2>&1; then
  echo "== fuzz targets (${QUORFW_FUZZ_SECONDS:-15} s each)"
  cmake --preset fuzz >/dev/null
  # Only the fuzz programs (and what they link): the rest is built and tested above.
  fuzzers=$(cmake --build --preset fuzz --target help | sed -n 's/^\(fuzz_[A-Za-z0-9_]*\):.*/\1/p')
  cmake --build --preset fuzz --target $fuzzers
  for target in build/fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    corpus="build/fuzz/corpus/$(basename "$target")"
    mkdir -p "$corpus"
    "$target" -max_total_time="${QUORFW_FUZZ_SECONDS:-15}" -print_final_stats=0 "$corpus" 2>&1 | tail -n 3
  done
fi


echo "== build and test: address and undefined-behaviour sanitizers"
cmake --preset asan >/dev/null
cmake --build --preset asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan
