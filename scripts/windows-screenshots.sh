#!/usr/bin/env bash
# Screenshots of the Windows program under Wine for docs/: the main window,
# its report window and the Settings dialog, at 96 and 144 DPI.
#   scripts/windows-screenshots.sh [OUTPUT_FOLDER]    (docs/ unless given)
# Needs build-win64/bin/Bayhaul.exe (scripts/build-windows.sh x86_64), Xvfb,
# xdotool and ImageMagick. Each resolution gets a Wine prefix of its own in
# build-win64/ (made on first use), so the tests' prefix keeps 96 DPI.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath "${1:-docs}")
mkdir -p "$out"
exe=$PWD/build-win64/bin/Bayhaul.exe
wine_run=$PWD/scripts/wine-run.sh
[ -f "$exe" ] || { echo "windows-screenshots: build $exe first" >&2; exit 1; }
display=:94
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
folder=$(mktemp -d)
program=
finish() {
  if [ -n "$program" ] && kill -0 "$program" 2>/dev/null; then kill "$program"; fi
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$folder"
}
trap finish EXIT
export DISPLAY=$display
sleep 1
# A place in the main window at 96 DPI, at the resolution shown.
scale() { echo $(($1 * dpi / 96)); }

for dpi in 96 144; do
  export BAYHAUL_WINEPREFIX=$PWD/build-win64/wine-screenshots-$dpi
  scripts/wine-run.sh reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  scripts/wine-run.sh reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  WINEPREFIX=$BAYHAUL_WINEPREFIX /usr/lib/wine/wineserver -w
  rm -f "$folder/settings.ini"
  (cd "$folder" && exec "$wine_run" "$exe") 2>/dev/null &
  program=$!
  window=$(timeout 60 xdotool search --sync --name '^Bayhaul$' | head -1)
  sleep 2
  import -window "$window" "$out/windows-main-window-$dpi.png"
  # The report of the last press (Ctrl+R), then Settings; Escape closes each.
  xdotool mousemove --window "$window" "$(scale 250)" "$(scale 120)" click 1
  xdotool key ctrl+r
  report=$(timeout 30 xdotool search --sync --name '^Bayhaul: the last press$' | head -1)
  sleep 1
  import -window "$report" "$out/windows-report-window-$dpi.png"
  xdotool mousemove --window "$report" 5 5 click 1
  xdotool key Escape
  sleep 2  # the main window active again before the click
  xdotool mousemove --window "$window" "$(scale 348)" "$(scale 416)" click 1
  settings=$(timeout 30 xdotool search --sync --name '^Settings$' | head -1)
  sleep 1
  import -window "$settings" "$out/windows-settings-dialog-$dpi.png"
  xdotool mousemove --window "$settings" 5 5 click 1
  xdotool key Escape
  xdotool mousemove --window "$window" "$(scale 250)" "$(scale 120)" click 1
  xdotool key alt+F4
  wait "$program" || true
  program=
  WINEPREFIX=$BAYHAUL_WINEPREFIX /usr/lib/wine/wineserver -w
done
ls -l "$out"/windows-*.png
