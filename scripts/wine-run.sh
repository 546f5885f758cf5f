#!/usr/bin/env bash
# Runs a Windows program under wine64 in the build's own Wine prefix,
# build-win64/wine, made on first use (once per clean build). Windows tests
# reach their programs through this script, the x86_64 toolchain's emulator.
# Concurrent first uses wait for one another rather than race. The prefix
# has a home of its own, so the Windows desktop and documents folders are
# $prefix/home/Desktop and $prefix/home/Documents, never the user's.
set -euo pipefail
prefix="${BAYHAUL_WINEPREFIX:-$(cd "$(dirname "$0")/.." && pwd)/build-win64/wine}"
export WINEPREFIX="$prefix" HOME="$prefix/home" WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine=/usr/lib/wine/wine64
if [ ! -f "$prefix/.made" ]; then
  mkdir -p "$prefix/home/Desktop" "$prefix/home/Documents"
  exec 9>"$prefix.lock"
  flock 9
  if [ ! -f "$prefix/.made" ]; then
    "$wine" wineboot --init >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
    touch "$prefix/.made"
  fi
  exec 9>&-
fi
# A wineserver that holds a pseudo-terminal of a test's simulated terminal
# gets a hang-up when the simulator ends, and dumps its objects to stderr:
# start it ourselves (lingering 3 s after its last program, as by default),
# so that goes to a log rather than into test output.
/usr/lib/wine/wineserver -p3 2>>"$prefix/wineserver.log" || true
exec "$wine" "$@"
