#!/usr/bin/env bash
# Bayhaul.exe --download under wine64, a windowed program in console mode:
# its status lines reach standard output, settings.ini is created with the
# defaults, the exit code comes back, an error shows once where output and
# errors go to one place, and wrong arguments give 2. /?, -h and --help give
# the usage in Windows' words, with 0.
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

# A save folder that is missing: the press cannot run. Its reason goes to
# the output, and to standard error as well only when that goes elsewhere.
# On a console (Wine makes one of a terminal) it shows once; the console
# draws spaces as cursor moves, so words are counted without them.
printf '1\r\n0\r\nC:\\no such folder\r\nFORM\r\nDAT\r\n' >settings.ini
status=0
script -qec "$(printf '%q ' "$wine_run" "$exe" --download)" /dev/null >console.txt 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "a missing save folder exited with $status, not 2"
count=$(sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' console.txt | tr -d ' \r\n' | grep -o 'wasnotfound' | wc -l)
[ "$count" -eq 1 ] || fail "the missing folder is said $count times on the console: $(cat -v console.txt)"
status=0
"$wine_run" "$exe" --download >out.txt 2>err.txt || status=$?
[ "$status" -eq 2 ] || fail "a missing save folder exited with $status, not 2"
grep -q 'no such folder' out.txt && grep -q '^Bayhaul.exe: .*no such folder' err.txt ||
  fail "the missing folder is not in both the output and the errors: $(cat out.txt err.txt)"

for help in "/?" -h --help; do
  status=0
  "$wine_run" "$exe" "$help" >out.txt 2>err.txt || status=$?
  [ "$status" -eq 0 ] || fail "$help exited with $status, not 0"
  head -1 out.txt | grep -q '^usage: Bayhaul.exe \[--download' || fail "$help printed no usage: $(cat out.txt)"
  grep -q '^Ctrl+C, Ctrl+Break, closing the console and log-off' out.txt || fail "$help names no Windows stops"
  if grep -q 'SIGTERM\|SIGHUP' out.txt; then fail "$help speaks of POSIX signals"; fi
done

status=0
"$wine_run" "$exe" --no-such-option >out.txt 2>err.txt || status=$?
[ "$status" -eq 2 ] || fail "wrong arguments exited with $status, not 2"
grep -q '^usage: Bayhaul.exe' err.txt || fail "wrong arguments printed no usage"
[ "$(grep -c 'unknown option: --no-such-option' err.txt)" -eq 1 ] || fail "the wrong argument is not named once"

status=0
"$wine_run" "$exe" --version >out.txt 2>err.txt || status=$?
[ "$status" -eq 0 ] || fail "--version exited with $status, not 0"
grep -q "^Terminal library: .*TetherDll.*(Bayhaul's own)" out.txt || fail "--version names no library: $(cat out.txt)"
grep -q '^History: .*history.csv' out.txt || fail "--version names no history: $(cat out.txt)"
echo "ok"
