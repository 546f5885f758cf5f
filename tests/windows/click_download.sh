#!/usr/bin/env bash
# On $DISPLAY: starts Bayhaul.exe, clicks the download button once, waits
# for TARGET to appear and to stop growing, then closes the window.
#   click_download.sh WINE_RUN BAYHAUL_EXE TARGET
set -euo pipefail
wine_run=$1 bayhaul=$2 target=$3

"$wine_run" "$bayhaul" >/dev/null 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

window=$(timeout 60 xdotool search --sync --name '^Bayhaul$' | head -1)
[ -n "$window" ] || { echo "no Bayhaul window" >&2; exit 1; }
sleep 1  # let the window paint and settle

# The button's centre, from its place in twips (4920, 4680, 1515 x 605) at
# Wine's 96 dots per inch. With no window manager, the X window is the
# client area.
xdotool mousemove --window "$window" $((328 + 50)) $((312 + 20)) click 1

last=-1
for _ in $(seq 120); do
  if [ -f "$target" ]; then
    size=$(stat -c %s "$target")
    [ "$size" -eq "$last" ] && break
    last=$size
  fi
  sleep 0.5
done
[ -n "${BAYHAUL_TEST_SCREENSHOT:-}" ] && import -window root "$BAYHAUL_TEST_SCREENSHOT"
xdotool key alt+F4  # no window manager: no close box
for _ in $(seq 50); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
[ -f "$target" ]
