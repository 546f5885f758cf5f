#!/usr/bin/env bash
# The x86_64 installer under wine64, in a fresh prefix of its own: a silent
# install puts the program in Program Files and a Start-menu shortcut that
# starts it in %APPDATA%\Bayhaul, with /WATCH a Start-up shortcut that
# starts "Bayhaul.exe --watch" there at log-on, and with /DESKTOP a desktop
# shortcut as the Start-menu one; Bayhaul.exe started there writes
# settings.ini there; the silent uninstaller removes the program, its
# shortcuts and its Add/Remove entry, and leaves that folder and the history
# as they were. Then on the display: the installer's Finish page offers
# "Run Bayhaul", ticked, which starts Bayhaul in that folder; and the
# uninstaller with /REMOVESETTINGS removes the settings and the history,
# and nothing else.
# Usage: install_under_wine.sh PACKAGE_SCRIPT SETUP_EXE PACKED_FOLDER READ_SHORTCUT_EXE WINDOW_PROBE_EXE WINE_RUN PREFIX VERSION
set -euo pipefail
package_script=$1 setup=$2 packed=$3 read_shortcut=$4 probe=$5 wine_run=$6 prefix=$7 version=$8
fail() { echo "FAIL: $*" >&2; exit 1; }
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Bayhaul'

export BAYHAUL_WINEPREFIX=$prefix
remove_prefix() {
  if [ -d "$prefix" ]; then WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true; fi
  rm -rf "$prefix" "$prefix.lock"
}
remove_prefix
trap remove_prefix EXIT
# Waits for every program of the prefix, the uninstaller's copy of itself too.
settle() { WINEPREFIX=$prefix /usr/lib/wine/wineserver -w; }
wine_text() { "$wine_run" "$@" | tr -d '\r'; }
unix_path() { wine_text winepath -u "$1"; }

"$package_script" x86_64
[ -f "$setup" ] || fail "the script made no $setup"

"$wine_run" "$setup" /S /WATCH /DESKTOP || fail "the silent install exited with $?"
settle
appdata=$(wine_text cmd /c echo '%APPDATA%')
program_files=$(wine_text cmd /c echo '%ProgramFiles%')
installed=$(unix_path "$program_files\\Bayhaul")
for f in Bayhaul.exe bayhaul-worker.exe TetherDll.dll; do
  cmp "$packed/$f" "$installed/$f" || fail "$f in $installed is not the one packed"
done
[ -f "$installed/uninstall.exe" ] || fail "no uninstall.exe in $installed"

shortcut="$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Bayhaul.lnk"
fields=$(wine_text "$read_shortcut" "$shortcut") || fail "no readable shortcut $shortcut"
echo "$fields"
field() { sed -n "s/^$1=//p" <<<"$fields"; }
same_path() { [ "${1,,}" = "${2,,}" ]; }  # Windows paths ignore case
same_path "$(field target)" "$program_files\\Bayhaul\\Bayhaul.exe" || fail "the shortcut's target is $(field target)"
same_path "$(field start_in)" "$appdata\\Bayhaul" || fail "the shortcut starts in '$(field start_in)', not $appdata\\Bayhaul"
watch_shortcut="$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\\Bayhaul collects terminals.lnk"
watch_fields=$(wine_text "$read_shortcut" "$watch_shortcut") || fail "no readable shortcut $watch_shortcut"
echo "$watch_fields"
watch_field() { sed -n "s/^$1=//p" <<<"$watch_fields"; }
same_path "$(watch_field target)" "$program_files\\Bayhaul\\Bayhaul.exe" || fail "the watch starts $(watch_field target)"
[ "$(watch_field arguments)" = "--watch" ] || fail "the watch shortcut's arguments are '$(watch_field arguments)'"
same_path "$(watch_field start_in)" "$appdata\\Bayhaul" || fail "the watch starts in '$(watch_field start_in)'"
desktop_shortcut="$(wine_text cmd /c echo '%USERPROFILE%')\\Desktop\\Bayhaul.lnk"
desktop_fields=$(wine_text "$read_shortcut" "$desktop_shortcut") || fail "no readable shortcut $desktop_shortcut"
[ "$desktop_fields" = "$fields" ] || fail "the desktop shortcut differs from the Start-menu one: $desktop_fields"
settings_folder=$(unix_path "$(field start_in)")
[ -d "$settings_folder" ] || fail "the install did not make $settings_folder"
wine_text reg query "$uninstall_key" /v DisplayVersion | grep -q "REG_SZ *$version\$" ||
  fail "the Add/Remove entry does not give version $version"

# Started as the shortcut starts it: in its folder (--download: no window).
(cd "$settings_folder" && "$wine_run" "$installed/Bayhaul.exe" --download >/dev/null) ||
  fail "Bayhaul.exe --download exited with $?"
[ "$(od -An -c "$settings_folder/settings.ini")" = "$(printf '1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n' | od -An -c)" ] ||
  fail "settings.ini in $settings_folder does not hold the defaults"
# A received file saved into a folder there (a relative folder setting),
# and a history of presses in the state folder.
mkdir -p "$settings_folder/received" && echo "terminal data" >"$settings_folder/received/FORM.DAT"
state_folder=$(unix_path "$(wine_text cmd /c echo '%LOCALAPPDATA%')\\Bayhaul")
mkdir -p "$state_folder/replaced" && echo "when,press,port,outcome" >"$state_folder/history.csv"
echo "an older copy" >"$state_folder/replaced/FORM.DAT"
user_files() { (cd "$settings_folder" && find . -type f -exec md5sum {} +; cd "$state_folder" && find . -type f -exec md5sum {} +) | sort; }
before=$(user_files)

"$wine_run" "$installed/uninstall.exe" /S || fail "the silent uninstall exited with $?"
settle
[ ! -e "$installed" ] || fail "the uninstaller left $installed: $(ls -A "$installed")"
[ ! -e "$(unix_path "$shortcut")" ] || fail "the uninstaller left the shortcut"
[ ! -e "$(unix_path "$watch_shortcut")" ] || fail "the uninstaller left the watch's shortcut"
[ ! -e "$(unix_path "$desktop_shortcut")" ] || fail "the uninstaller left the desktop shortcut"
if "$wine_run" reg query "$uninstall_key" >/dev/null 2>&1; then fail "the uninstaller left the Add/Remove entry"; fi
after=$(user_files)
[ "$before" = "$after" ] || fail "the uninstaller changed the user's files: before $before, after $after"

# The installer as a user sees it, on the display: Enter takes the default
# button of each page (Next, Install) to the Finish page.
rm "$settings_folder/settings.ini"
"$wine_run" "$setup" &
installer=$!
window=$(timeout 60 xdotool search --sync --name '^Bayhaul Setup' | head -1)
[ -n "$window" ] || fail "the installer showed no window"
title=$(xdotool getwindowname "$window")
xdotool mousemove --window "$window" 30 20 click 1  # the keyboard's to the installer
xdotool key Return
sleep 1
xdotool key Return
controls=
for _ in $(seq 100); do
  controls=$("$wine_run" "$probe" controls "$title" | tr -d '\r')
  grep -q '^Button|Run Bayhaul|' <<<"$controls" && break
  sleep 0.3
done
echo "$controls"
grep -qx 'Button|Run Bayhaul|checked' <<<"$controls" || fail "the Finish page offers no ticked Run Bayhaul"
xdotool key Return
wait "$installer" || fail "the installer exited with $?"
bayhaul=$(timeout 60 xdotool search --sync --name '^Bayhaul$' | head -1)
[ -n "$bayhaul" ] || fail "Run Bayhaul started no Bayhaul window"
for _ in $(seq 50); do [ -f "$settings_folder/settings.ini" ] && break; sleep 0.2; done
[ -f "$settings_folder/settings.ini" ] || fail "the Bayhaul started from the Finish page wrote no settings.ini in $settings_folder"
xdotool mousemove --window "$bayhaul" 250 120 click 1
xdotool key alt+F4
settle

# Asked to, the uninstaller removes the settings and the history; received
# files and the copies of replaced files stay.
"$wine_run" "$installed/uninstall.exe" /S /REMOVESETTINGS || fail "the silent uninstall exited with $?"
settle
[ ! -e "$settings_folder/settings.ini" ] || fail "/REMOVESETTINGS left settings.ini"
[ ! -e "$state_folder/history.csv" ] || fail "/REMOVESETTINGS left the history"
[ -f "$settings_folder/received/FORM.DAT" ] && [ -f "$state_folder/replaced/FORM.DAT" ] ||
  fail "/REMOVESETTINGS removed a received file or a kept copy"
echo "ok"
