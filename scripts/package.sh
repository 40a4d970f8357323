#!/usr/bin/env bash
# Builds the Debian package: the programs without the test suite, installed under /usr by
# CPack, dependencies from the shared libraries (dpkg-shlibdeps), then checked by lintian
# where it is installed. The package ends up in build/package/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

build=build/package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORFW_BUILD_TESTS=OFF -DQUORFW_BUILD_BENCH=OFF -DQUORFW_BUILD_GUI=ON >/dev/null
cmake --build "$build" -j"${JOBS:-2}"
rm -f "$build"/quorfwupdate_*.deb
(cd "$build" && cpack -G DEB)

deb=$(ls "$build"/quorfwupdate_*.deb)
echo "== $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends
if command -v lintian >/dev/null; then
  echo "== lintian"
  lintian --fail-on error "$deb"
fi
