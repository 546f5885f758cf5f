#!/usr/bin/env bash
# Bayhaul.exe under wine64 on a virtual display: started in an empty folder
# it writes the default settings.ini byte for byte, and each click on Check1,
# or on its caption Label5, rewrites line 1 to the box's new state; a click
# on Label6 does the same for Check2 and line 2. A box changed while the
# Settings dialog is open stays as it is when the dialog's OK is pressed.
# The keyboard's focus shows as the system's focus rectangle, on the
# download button and on About, with no ring around them; Enter on the
# focused About button opens the About box and Escape closes it.
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

# The window's pixels in a rectangle WxH+X+Y, as text.
pixels() { import -window "$window" -crop "$1" -depth 8 txt:- | tail -n +2 | sed 's/ *#.*//;s/.*: //'; }
# Waits until the rectangle shows other pixels than BEFORE: the system's
# focus rectangle has been drawn on the control there.
await_change() {
  local place=$1 before=$2 what=$3
  for _ in $(seq 25); do
    [ "$(pixels "$place")" != "$before" ] && return 0
    sleep 0.2
  done
  fail "$what"
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
# The download button (101 by 40 at 328, 312): Tab takes the focus from it,
# Shift+Tab brings it back with the focus rectangle drawn.
download_button=101x40+328+312
xdotool mousemove --window "$window" 250 120 click 1  # the keyboard's to the window, the focus stays
xdotool key Tab
sleep 0.5
unfocused=$(pixels "$download_button")
xdotool key shift+Tab
await_change "$download_button" "$unfocused" "the download button shows no focus rectangle"

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

# Settings (57 by 17 at 320, 408) opens its dialog; Check2 cleared in the
# main window meanwhile stays cleared when the dialog's OK (Enter) saves.
xdotool mousemove --window "$window" 348 416 click 1
settings=$(timeout 30 xdotool search --sync --name '^Settings$' | head -1)
[ -n "$settings" ] || fail "Settings opened no dialog"
xdotool mousemove --window "$window" 120 414 click 1
await_settings '1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n' "a click on Label6 with Settings open did not clear Check2"
xdotool mousemove --window "$settings" 100 40 click 1
xdotool key Return
for _ in $(seq 50); do xdotool search --name '^Settings$' >/dev/null || break; sleep 0.2; done
if xdotool search --name '^Settings$' >/dev/null; then fail "Enter did not close the Settings dialog"; fi
# The dialog saved when it closed.
await_settings '1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n' "OK in Settings set Check2's line back"

# The main window has the focus back on Check2 (clicked last there);
# Settings and About (57 by 17 at 384, 408) follow it in the tab order.
# About shows the focus rectangle, inside it, and no ring around it.
about_button=57x17+384+408
unfocused=$(pixels "$about_button")
xdotool key Tab Tab
await_change "$about_button" "$unfocused" "the focused About button shows no focus rectangle"
for point in 382+416 383+416 386+406; do
  [ "$(pixels "1x1+$point")" != "(0,0,0)" ] || fail "a black ring is drawn around the About button at $point"
done
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
