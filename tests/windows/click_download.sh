#!/usr/bin/env bash
# Inside Xvfb: starts Bayhaul.exe, clicks the download button once, waits
# for TARGET to appear and to stop growing, then closes the window.
#   click_download.sh WINE_RUN BAYHAUL_EXE TARGET
set -euo pipefail
wine_run=$1 bayhaul=$2 target=$3

"$wine_run" "$bayhaul" >/dev/null 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

window=
for _ in $(seq 200); do
  window=$(xdotool search --onlyvisible --name '^Bayhaul$' 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "no Bayhaul window" >&2; exit 1; }
sleep 1  # let the window paint and settle

# The button's centre, from its place in twips (4920, 4680, 1515 x 605) at
# 96 dots per inch, in a client area of 492 x 456 pixels. Without a window
# manager, Wine's X window may include its own frame: the client area sits
# at the bottom, centred across.
eval "$(xdotool getwindowgeometry --shell "$window")"
left=$(((WIDTH - 492) / 2))
top=$((HEIGHT - 456 - left))
xdotool mousemove --window "$window" $((left + 328 + 50)) $((top + 312 + 20)) click 1

last=-1
for _ in $(seq 120); do
  if [ -f "$target" ]; then
    size=$(stat -c %s "$target")
    [ "$size" -eq "$last" ] && break
    last=$size
  fi
  sleep 0.5
done
xdotool windowclose "$window" 2>/dev/null || true
for _ in $(seq 50); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
[ -f "$target" ]
