#!/usr/bin/env bash
# Configures and builds the tree into build/ (programs in build/bin/):
#   scripts/build.sh              everything, the tests included
#   scripts/build.sh TARGET...    only those programs and what they need
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/configure.sh build
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build build -j"$(nproc)" "${targets[@]}"
