#!/usr/bin/env bash
# Bayhaul.exe --download under wine64, a windowed program in console mode:
# its status lines reach standard output, settings.ini is created with the
# defaults, the exit code comes back, and wrong arguments give 2.
# Usage: command_line.sh BAYHAUL_EXE WINE_RUN
set -euo pipefail
exe=$1
wine_run=$2
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
cd "$folder"

status=0
"$wine_run" "$exe" --download >out.txt 2>err.txt || status=$?
cat out.txt
# Whatever ports the prefix lists, no terminal answers on them here.
[ "$status" -eq 0 ] || fail "--download exited with $status: $(cat err.txt)"
[ "$(head -1 out.txt | tr -d '\r')" = "Searching..." ] || fail "the first status line is not Searching..."
grep -Eq '^Finished download [0-9]+ file\(s\) at [^ ]*[0-9]{4}' out.txt ||
  fail "no final status line with a four-digit year"
[ "$(od -An -c settings.ini)" = "$(printf '1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n' | od -An -c)" ] ||
  fail "settings.ini does not hold the defaults"

status=0
"$wine_run" "$exe" --no-such-option >out.txt 2>err.txt || status=$?
[ "$status" -eq 2 ] || fail "wrong arguments exited with $status, not 2"
grep -q '^usage: bayhaul' err.txt || fail "wrong arguments printed no usage"
echo "ok"
