#!/usr/bin/env bash
# Bayhaul.exe under wine64 on a virtual display: started in an empty folder
# it writes the default settings.ini byte for byte, and each click on Check1,
# or on its caption Label5, rewrites line 1 to the box's new state; a click
# on Label6 does the same for Check2 and line 2. The focused control is
# ringed; Enter on the focused About button opens the About box and Escape
# closes it.
# Usage: first_start_and_check1.sh BAYHAUL_EXE WINE_RUN [SCREENSHOT]
# Run it with DISPLAY set (ctest gives the run's shared virtual display). The window is laid out at Wine's 96 DPI, where
# Check1 (480, 5280 twips, 200 by 200) is the 13-pixel box at (32, 352), its
# caption Label5 starts at (48, 352) and Label6 at (48, 408).
set -euo pipefail
exe=$1
wine_run=$2
screenshot=${3:-}
folder=$(mktemp -d)
program=
finish() {
  if [ -n "$program" ] && kill -0 "$program" 2>/dev/null; then kill "$program"; fi
  rm -rf "$folder"
}
trap finish EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Waits until the window's pixel at X, Y is black, the text colour of the
# ring around the focused control.
await_ring() {
  local x=$1 y=$2 what=$3 colour=
  for _ in $(seq 25); do
    colour=$(import -window "$window" -crop "1x1+$x+$y" -depth 8 txt:- | grep -o '#[0-9A-Fa-f]\{6\}' | head -1)
    [ "$colour" = "#000000" ] && return 0
    sleep 0.2
  done
  fail "$what (the pixel at $x, $y is $colour)"
}

# Waits until settings.ini holds exactly the expected bytes.
await_settings() {
  local expected=$1 what=$2
  for _ in $(seq 100); do
    if [ -f "$folder/settings.ini" ] && [ "$(od -An -c "$folder/settings.ini")" = "$(printf '%b' "$expected" | od -An -c)" ]; then
      return 0
    fi
    sleep 0.2
  done
  echo "settings.ini holds:" >&2
  od -c "$folder/settings.ini" >&2 || true
  fail "$what"
}

cd "$folder"
"$wine_run" "$exe" &
program=$!
window=$(timeout 60 xdotool search --sync --name '^Bayhaul$' | head -1)
[ -n "$window" ] || fail "no window named Bayhaul appeared"

await_settings '1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n' "the first start did not write the default settings.ini"
# The window opens with the download button (at 328, 312) focused, so
# Enter starts a press.
await_ring 326 330 "the download button has no focus ring at the start"

xdotool mousemove --window "$window" 38 358 click 1
await_settings '0\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n' "clearing Check1 did not write 0 on line 1"
xdotool mousemove --window "$window" 38 358 click 1
await_settings '1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n' "ticking Check1 again did not write 1 on line 1"

# A click on a caption is a click on its box.
xdotool mousemove --window "$window" 120 358 click 1
await_settings '0\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n' "a click on Label5 did not clear Check1"
xdotool mousemove --window "$window" 120 414 click 1
await_settings '0\r\n1\r\nDesktop\r\nFORM\r\nDAT\r\n' "a click on Label6 did not tick Check2"
xdotool mousemove --window "$window" 120 358 click 1
await_settings '1\r\n1\r\nDesktop\r\nFORM\r\nDAT\r\n' "a second click on Label5 did not tick Check1"

# The last click left the focus on Check1, which is ringed (its box is at
# 32, 352); Check2, Settings and About (at 384, 408) follow it in the tab
# order.
await_ring 30 358 "the focused Check1 shows no ring"
xdotool key Tab Tab Tab
await_ring 383 416 "the focused About button shows no ring"
xdotool key Return
timeout 30 xdotool search --sync --name '^About Bayhaul$' >/dev/null || fail "Enter on the focused About button opened no About box"
xdotool key Escape
for _ in $(seq 50); do xdotool search --name '^About Bayhaul$' >/dev/null || break; sleep 0.2; done
if xdotool search --name '^About Bayhaul$' >/dev/null; then fail "Escape did not close the About box"; fi

if [ -n "$screenshot" ]; then
  xdotool mousemove --window "$window" 250 120  # off the controls
  sleep 1.5  # the clock has ticked
  import -window "$window" "$screenshot"
fi

# Closing the window (Alt+F4, as there is no window manager) ends the program.
xdotool mousemove --window "$window" 250 120 click 1
xdotool key alt+F4
for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$program" 2>/dev/null; then fail "the program did not end when its window closed"; fi
wait "$program" || fail "the program ended with code $?"
program=
echo "ok"
