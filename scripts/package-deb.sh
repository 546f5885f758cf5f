#!/usr/bin/env bash
# Builds the Debian package from the Linux tree in build/ (only the
# programs it ships; installs what is missing first) and prints its path,
# build/package/bayhaul_<version>_amd64.deb. What goes into it:
# packaging/CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh package
scripts/configure.sh build -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
cmake --build build -j"$(nproc)" --target bayhaul TetherDll bayhaul-ports bayhaul-terminal
rm -f build/package/*.deb
(cd build && cpack -G DEB >/dev/null)
ls build/package/*.deb
