#!/usr/bin/env bash
# Configures a build tree of this source tree, quietly (errors still show):
#   scripts/configure.sh DIR [CMAKE_ARGUMENT...]
# The build type is $BUILD_TYPE, RelWithDebInfo when unset; further
# arguments go to cmake (a toolchain, the tree's options). The one place
# the scripts configure a tree.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: scripts/configure.sh DIR [CMAKE_ARGUMENT...]" >&2; exit 2; }
build=$1
shift
cmake -S "$(dirname "$0")/.." -B "$build" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
