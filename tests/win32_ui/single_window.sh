#!/usr/bin/env bash
# One Bayhaul.exe window per user, under wine64 on a virtual display: with
# the window behind another program's, a second start ends at once with 0
# and the first window is in front; --help still runs beside the window.
# Usage: single_window.sh BAYHAUL_EXE WINE_RUN WINDOW_PROBE
# Run it with DISPLAY set (ctest gives the run's shared virtual display).
set -euo pipefail
exe=$1
wine_run=$2
probe=$3
folder=$(mktemp -d)
program=
other=
finish() {
  for p in "$program" "$other"; do
    if [ -n "$p" ] && kill -0 "$p" 2>/dev/null; then kill "$p"; fi
  done
  rm -rf "$folder"
}
trap finish EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
foreground() { "$wine_run" "$probe" foreground | tr -d '\r'; }
await_foreground() {
  local title=$1 what=$2 now=
  for _ in $(seq 25); do
    now=$(foreground || true)
    [ "$now" = "$title" ] && return 0
    sleep 0.4
  done
  fail "$what (the foreground window is '$now')"
}

cd "$folder"
"$wine_run" "$exe" &
program=$!
timeout 60 xdotool search --sync --name '^Bayhaul$' >/dev/null || fail "no window named Bayhaul appeared"
await_foreground Bayhaul "the first window is not in front"

# Another program's window comes in front of it.
"$wine_run" notepad &
other=$!
timeout 60 xdotool search --sync --name 'Notepad$' >/dev/null || fail "Notepad did not start"
await_foreground "$(xdotool getwindowname "$(xdotool search --name 'Notepad$' | head -1)")" "Notepad is not in front"

status=0
timeout 60 "$wine_run" "$exe" || status=$?
[ "$status" -eq 0 ] || fail "the second start exited with $status"
[ "$(xdotool search --name '^Bayhaul$' | wc -l)" -eq 1 ] || fail "a second Bayhaul window opened"
await_foreground Bayhaul "the second start did not bring the first window to the front"
kill -0 "$program" 2>/dev/null || fail "the first Bayhaul ended"

# The console mode is not the window's: it runs beside it.
"$wine_run" "$exe" --help >help.txt || fail "--help beside the window exited with $?"
grep -q '^usage: Bayhaul.exe' help.txt || fail "--help beside the window printed no usage"

kill "$other"
wait "$other" 2>/dev/null || true
other=
xdotool mousemove --window "$(xdotool search --name '^Bayhaul$' | head -1)" 250 120 click 1
xdotool key alt+F4
for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$program" 2>/dev/null; then fail "the program did not end when its window closed"; fi
program=
echo "ok"
