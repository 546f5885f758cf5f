#!/usr/bin/env bash
# Bayhaul.exe's report window under wine64 on a virtual display, as a user
# sees it: Ctrl+R opens it, it is painted in the dialog colour (not black)
# behind its box and buttons, and Enter closes it.
# Usage: report_window.sh BAYHAUL_EXE WINE_RUN [SCREENSHOT]
# Run it with DISPLAY set (ctest gives the run's shared virtual display).
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
pixel() { import -window "$1" -crop "1x1+$2+$3" -depth 8 txt:- | grep -o '#[0-9A-Fa-f]\{6\}' | head -1; }

cd "$folder"
"$wine_run" "$exe" &
program=$!
window=$(timeout 60 xdotool search --sync --name '^Bayhaul$' | head -1)
[ -n "$window" ] || fail "no window named Bayhaul appeared"
xdotool mousemove --window "$window" 250 120 click 1  # the keyboard's to the window
xdotool key ctrl+r
report=$(timeout 30 xdotool search --sync --name '^Bayhaul: the last press$' | head -1)
[ -n "$report" ] || fail "Ctrl+R opened no report window"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$report")"
# Between the two buttons, and in the strip under them: the window itself.
for point in "$((WIDTH / 2)) $((HEIGHT - 20))" "$((WIDTH / 2)) $((HEIGHT - 3))" "3 $((HEIGHT / 2))"; do
  read -r x y <<<"$point"
  colour=$(pixel "$report" "$x" "$y")
  [ -n "$colour" ] && [ "$colour" != "#000000" ] || fail "the report window is black at $x, $y ($colour)"
done
[ -z "$screenshot" ] || import -window "$report" "$screenshot"

# The report box has the focus; Enter presses the default button, Close.
xdotool mousemove --window "$report" "$((WIDTH / 2))" "$((HEIGHT - 3))" click 1
xdotool key Return
for _ in $(seq 50); do xdotool search --name '^Bayhaul: the last press$' >/dev/null || break; sleep 0.2; done
if xdotool search --name '^Bayhaul: the last press$' >/dev/null; then fail "Enter did not close the report window"; fi

xdotool mousemove --window "$window" 250 120 click 1
xdotool key alt+F4
for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$program" 2>/dev/null; then fail "the program did not end when its window closed"; fi
program=
echo "ok"
