#!/usr/bin/env bash
# Runs a Windows program under wine64 in the build's own Wine prefix, made
# on first use. Windows tests reach their programs through this script (the
# x86_64 toolchain's emulator).
set -euo pipefail
prefix="${BAYHAUL_WINEPREFIX:-$(cd "$(dirname "$0")/.." && pwd)/build-win64/wine}"
export WINEPREFIX="$prefix" WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$prefix/system.reg" ]; then
  # ctest -j starts several programs at once: one makes the prefix, the
  # others wait for it rather than booting the same prefix side by side.
  mkdir -p "$prefix"
  exec 9>"$prefix.lock"
  flock 9
  if [ ! -f "$prefix/system.reg" ]; then
    /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
  fi
  exec 9>&-
fi
exec /usr/lib/wine/wine64 "$@"
