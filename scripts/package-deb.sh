#!/usr/bin/env bash
# Builds the Debian package in a tree of its own, build-deb/ (only the
# programs it ships; installs what is missing first), so the developer's
# build/ is left as it is, and prints its path,
# build-deb/package/bayhaul_<version>_amd64.deb. What goes into it:
# packaging/CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh package
build=build-deb
scripts/configure.sh "$build" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
cmake --build "$build" -j"$(nproc)" --target bayhaul bayhaul-worker TetherDll bayhaul-ports bayhaul-terminal
rm -f "$build"/package/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/package/*.deb
