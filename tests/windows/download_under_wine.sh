#!/usr/bin/env bash
# End to end on Windows, under wine64: a simulated terminal (the Linux
# simulator on a pseudo-terminal) appears to Wine as COM<n> through a
# dosdevices link and a registered "Communications Port (COM<n>)" device.
# Bayhaul.exe, started in an empty folder, gets one press and must put a
# byte-identical FORM.DAT in the Windows desktop folder.
#
#   download_under_wine.sh MODE BAYHAUL_EXE REGISTER_TOOL SIMULATOR WINE_RUN
#     MODE  command-line: bayhaul --download
#           click:        the window on $DISPLAY, the press sent as a click
#           two-ports:    bayhaul --download with a second terminal on the
#                         next COM number, whose file is small and arrives
#                         first: the two run side by side, and the first
#                         port's file is FORM.DAT all the same
#           watch:        bayhaul --watch, started before the terminal's port
#                         is registered: it collects the terminal when the
#                         port appears
#           logon-watch:  the watch started as at log-on, from a shortcut in
#                         the Start-up folder (which wineboot runs), with no
#                         console: its journal goes to watch.log; the end of
#                         the session during a collection stops it safely,
#                         and the terminal keeps its data
#   download_under_wine.sh ... SHORTCUT_TOOL  (make-startup-shortcut.exe, for logon-watch)
set -euo pipefail
mode=$1 bayhaul=$2 register=$3 simulator=$4 wine_run=$5 shortcut_tool=${6:-}
com=${BAYHAUL_TEST_COM:-7}
second=$((com + 1))

prefix="${BAYHAUL_WINEPREFIX:-$(cd "$(dirname "$wine_run")/.." && pwd)/build-win64/wine}"
export BAYHAUL_WINEPREFIX="$prefix"
work=$(mktemp -d)
sims=()
watcher=
cleanup() {
  for pid in $watcher "${sims[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  for number in "$com" "$second"; do
    "$wine_run" "$register" --remove "$number" >/dev/null 2>&1 || true
    rm -f "$prefix/dosdevices/com$number"
  done
  [ "$mode" = logon-watch ] && "$wine_run" "$shortcut_tool" --remove "Bayhaul test watch" >/dev/null 2>&1
  [ "$mode" = logon-watch ] && "$wine_run" wineboot --end-session --shutdown >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

mkdir -p "$work/run" "$work/app"
# A simulated terminal on COM<number> holding BYTES of random data, so a
# slip anywhere shows, seen by Wine as that COM port; more simulator options
# may follow.
terminal() {
  local number=$1 bytes=$2
  shift 2
  mkdir -p "$work/terminal$number"
  head -c "$bytes" /dev/urandom >"$work/terminal$number/FORM.DAT"
  cp "$work/terminal$number/FORM.DAT" "$work/sent$number"
  XDG_RUNTIME_DIR="$work/run" "$simulator" --com "$number" --dir "$work/terminal$number" "$@" >"$work/sim$number.log" 2>&1 &
  sims+=($!)
  for _ in $(seq 100); do
    grep -q '^ready ' "$work/sim$number.log" && break
    sleep 0.1
  done
  grep -q '^ready ' "$work/sim$number.log" || fail "the simulator did not start: $(cat "$work/sim$number.log")"
  ln -sfn "$(readlink -f "$(awk '/^ready /{print $3}' "$work/sim$number.log")")" "$prefix/dosdevices/com$number"
  "$wine_run" "$register" "$number" >/dev/null || fail "could not register COM$number"
}

# Wine's view of the terminals: the prefix is made by the first wine-run.
"$wine_run" cmd /c exit 0
desktop="$prefix/home/Desktop"
rm -f "$desktop"/FORM*.DAT
cd "$work/app"

if [ "$mode" = watch ]; then
  "$wine_run" "$bayhaul" --watch >"$work/out.txt" 2>&1 &
  watcher=$!
  for _ in $(seq 300); do grep -q "^Watching" "$work/out.txt" && break; sleep 0.1; done
  grep -q "^Watching" "$work/out.txt" || fail "the watch did not start: $(cat "$work/out.txt")"
fi
if [ "$mode" = logon-watch ]; then
  # Deleting on: a collection cut short must leave the terminal its data.
  printf '0\r\n1\r\nDesktop\r\nFORM\r\nDAT\r\n' >settings.ini
  journal="$prefix/drive_c/users/$(id -un)/AppData/Local/Bayhaul/watch.log"
  rm -f "$journal"
  "$wine_run" "$shortcut_tool" "Bayhaul test watch" "$("$wine_run" winepath -w "$bayhaul")" \
    "$("$wine_run" winepath -w "$work/app")" --watch || fail "no shortcut in the Start-up folder"
  "$wine_run" wineboot  # runs the Start-up folder, as a log-on does
  for _ in $(seq 300); do grep -q "^Watching" "$journal" 2>/dev/null && break; sleep 0.1; done
  grep -q "^Watching" "$journal" 2>/dev/null || fail "the log-on watch wrote no journal (watch.log)"
  # A paced terminal, so the session ends in the middle of its collection.
  terminal "$com" 204800 --pace
  for _ in $(seq 300); do grep -q "^send FORM.DAT" "$work/sim$com.log" && break; sleep 0.1; done
  grep -q "^send FORM.DAT" "$work/sim$com.log" || fail "the collection did not start: $(cat "$journal")"
  sleep 2
  "$wine_run" wineboot --end-session --shutdown
  cat "$journal"
  grep -q "^Stopped\." "$journal" || fail "the watch did not stop at the session's end"
  cmp "$work/sent$com" "$work/terminal$com/FORM.DAT" || fail "the terminal lost its data"
  ! grep -q "^delete" "$work/sim$com.log" || fail "the terminal was asked to delete its file"
  [ -z "$(ls -A "$desktop")" ] || fail "a file was left on the desktop: $(ls -A "$desktop")"
  echo "ok: $mode, stopped at the session's end with the terminal's data kept"
  exit 0
fi
terminal "$com" 204800
[ "$mode" = two-ports ] && terminal "$second" 2048

case $mode in
  watch)
    for _ in $(seq 600); do grep -q " COM$com: saved " "$work/out.txt" && break; sleep 0.1; done
    cat "$work/out.txt"
    grep -q " COM$com: saved " "$work/out.txt" || fail "the watch did not collect the terminal on COM$com"
    ;;
  command-line | two-ports)
    set +e
    timeout 120 "$wine_run" "$bayhaul" --download >"$work/out.txt" 2>&1
    status=$?
    set -e
    cat "$work/out.txt"
    [ $status -eq 0 ] || fail "bayhaul --download exited with $status"
    grep -q "^Finished download [12] file(s) at " "$work/out.txt" || fail "no final status line"
    ;;
  click)
    bash "$(dirname "$0")/click_download.sh" "$wine_run" "$bayhaul" "$desktop/FORM.DAT" ||
      fail "the click did not download"
    ;;
  *) fail "unknown mode $mode" ;;
esac

[ -f "$desktop/FORM.DAT" ] || fail "no FORM.DAT on the desktop: $(ls -A "$desktop")"
cmp "$work/terminal$com/FORM.DAT" "$desktop/FORM.DAT" || fail "FORM.DAT differs from the terminal's"
if [ "$mode" = two-ports ]; then
  grep -q "^Finished download 2 file(s) at " "$work/out.txt" || fail "not two files"
  cmp "$work/terminal$second/FORM.DAT" "$desktop/FORM02.DAT" || fail "FORM02.DAT differs from COM$second's terminal"
  rm -f "$desktop/FORM02.DAT"
fi
[ -f settings.ini ] || fail "no settings.ini written in the program's folder"
rm -f "$desktop/FORM.DAT"
echo "ok: $mode, $(stat -c %s "$work/terminal$com/FORM.DAT") bytes from COM$com"
