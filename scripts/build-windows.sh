#!/usr/bin/env bash
# Configures and builds the two Windows trees with MinGW-w64:
#   build-win32/  i686, the program that ships (the terminal maker's library
#                 is 32-bit); checked statically, since no 32-bit program
#                 runs on this machine
#   build-win64/  x86_64, the same code, whose tests run under wine64
# Programs and TetherDll.dll land side by side in each tree's bin/. The
# end-to-end tests also need the Linux tree's simulator (scripts/build.sh).
# Arguments pick trees by architecture (scripts/build-windows.sh i686);
# none builds both.
set -euo pipefail
cd "$(dirname "$0")/.."
arches=("$@")
[ ${#arches[@]} -gt 0 ] || arches=(i686 x86_64)
for arch in "${arches[@]}"; do
  case $arch in
    i686) build=build-win32 ;;
    x86_64) build=build-win64 ;;
    *) echo "usage: scripts/build-windows.sh [i686|x86_64]..." >&2; exit 2 ;;
  esac
  scripts/configure.sh "$build" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw-$arch.cmake" \
    -DBAYHAUL_LINUX_BIN="$PWD/build/bin"
  cmake --build "$build" -j"$(nproc)"
done
