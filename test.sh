#!/usr/bin/env bash
# Installs what is missing, builds the Linux tree and both Windows trees, and
# runs every test: the Linux suite, the Windows suite under wine64, the
# static checks of the 32-bit build, and the Debian package installed and
# used (as root only). Arguments go to the Linux ctest.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh tests windows package
scripts/build.sh
scripts/build-windows.sh
(cd build && ctest --output-on-failure -j"$(nproc)" "$@")
(cd build-win64 && ctest --output-on-failure -j"$(nproc)")
(cd build-win32 && ctest --output-on-failure -j"$(nproc)")
tests/package/deb.sh
