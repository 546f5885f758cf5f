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
set -euo pipefail
mode=$1 bayhaul=$2 register=$3 simulator=$4 wine_run=$5
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
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

mkdir -p "$work/run" "$work/app"
# A simulated terminal on COM<number> holding BYTES of random data, so a
# slip anywhere shows, seen by Wine as that COM port.
terminal() {
  local number=$1 bytes=$2
  mkdir -p "$work/terminal$number"
  head -c "$bytes" /dev/urandom >"$work/terminal$number/FORM.DAT"
  XDG_RUNTIME_DIR="$work/run" "$simulator" --com "$number" --dir "$work/terminal$number" >"$work/sim$number.log" 2>&1 &
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
