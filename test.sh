#!/usr/bin/env bash
# Installs what is missing, builds the Linux tree and both Windows trees, and
# runs every test: the Linux suite, the Windows suite under wine64, the
# static checks of the 32-bit build, and the Debian package installed and
# used (as root only). Arguments go to the Linux ctest, but for
# --win32-machine, which adds at the end the 32-bit build run in a 32-bit
# machine (scripts/test-win32-machine.sh).
set -euo pipefail
cd "$(dirname "$0")"
win32_machine=no
ctest_args=()
for arg in "$@"; do
  if [ "$arg" = --win32-machine ]; then win32_machine=yes; else ctest_args+=("$arg"); fi
done
set -- "${ctest_args[@]}"
scripts/install-deps.sh tests windows package
scripts/build.sh
scripts/build-windows.sh
(cd build && ctest --output-on-failure -j"$(nproc)" "$@")
(cd build-win64 && ctest --output-on-failure -j"$(nproc)")
(cd build-win32 && ctest --output-on-failure -j"$(nproc)")
tests/package/deb.sh
if [ $win32_machine = yes ]; then scripts/test-win32-machine.sh --no-build; fi
