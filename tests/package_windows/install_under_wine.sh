#!/usr/bin/env bash
# The x86_64 installer under wine64, in a fresh prefix of its own: a silent
# install puts the program in Program Files and a Start-menu shortcut that
# starts it in %APPDATA%\Bayhaul, and with /WATCH a Start-up shortcut that
# starts "Bayhaul.exe --watch" there at log-on; Bayhaul.exe started there
# writes settings.ini there; the silent uninstaller removes the program, its
# shortcuts and its Add/Remove entry, and leaves that folder as it was.
# Usage: install_under_wine.sh PACKAGE_SCRIPT SETUP_EXE PACKED_FOLDER READ_SHORTCUT_EXE WINE_RUN PREFIX VERSION
set -euo pipefail
package_script=$1 setup=$2 packed=$3 read_shortcut=$4 wine_run=$5 prefix=$6 version=$7
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

"$wine_run" "$setup" /S /WATCH || fail "the silent install exited with $?"
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
settings_folder=$(unix_path "$(field start_in)")
[ -d "$settings_folder" ] || fail "the install did not make $settings_folder"
wine_text reg query "$uninstall_key" /v DisplayVersion | grep -q "REG_SZ *$version\$" ||
  fail "the Add/Remove entry does not give version $version"

# Started as the shortcut starts it: in its folder (--download: no window).
(cd "$settings_folder" && "$wine_run" "$installed/Bayhaul.exe" --download >/dev/null) ||
  fail "Bayhaul.exe --download exited with $?"
[ "$(od -An -c "$settings_folder/settings.ini")" = "$(printf '1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n' | od -An -c)" ] ||
  fail "settings.ini in $settings_folder does not hold the defaults"
# A received file saved into a folder there (a relative folder setting).
mkdir -p "$settings_folder/received" && echo "terminal data" >"$settings_folder/received/FORM.DAT"
before=$(cd "$settings_folder" && find . -type f -exec md5sum {} + | sort)

"$wine_run" "$installed/uninstall.exe" /S || fail "the silent uninstall exited with $?"
settle
[ ! -e "$installed" ] || fail "the uninstaller left $installed: $(ls -A "$installed")"
[ ! -e "$(unix_path "$shortcut")" ] || fail "the uninstaller left the shortcut"
[ ! -e "$(unix_path "$watch_shortcut")" ] || fail "the uninstaller left the watch's shortcut"
if "$wine_run" reg query "$uninstall_key" >/dev/null 2>&1; then fail "the uninstaller left the Add/Remove entry"; fi
after=$(cd "$settings_folder" && find . -type f -exec md5sum {} + | sort)
[ "$before" = "$after" ] || fail "the uninstaller changed $settings_folder: before $before, after $after"
echo "ok"
