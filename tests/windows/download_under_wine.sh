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
set -euo pipefail
mode=$1 bayhaul=$2 register=$3 simulator=$4 wine_run=$5
com=${BAYHAUL_TEST_COM:-7}

prefix="${BAYHAUL_WINEPREFIX:-$(cd "$(dirname "$wine_run")/.." && pwd)/build-win64/wine}"
export BAYHAUL_WINEPREFIX="$prefix"
work=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  "$wine_run" "$register" --remove "$com" >/dev/null 2>&1 || true
  rm -f "$prefix/dosdevices/com$com"
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# The terminal: 200 KiB of random data, so a slip anywhere shows.
mkdir -p "$work/terminal" "$work/run" "$work/app"
head -c 204800 /dev/urandom >"$work/terminal/FORM.DAT"
cp "$work/terminal/FORM.DAT" "$work/expected"
XDG_RUNTIME_DIR="$work/run" "$simulator" --com "$com" --dir "$work/terminal" >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do
  grep -q '^ready ' "$work/sim.log" && break
  sleep 0.1
done
grep -q '^ready ' "$work/sim.log" || fail "the simulator did not start: $(cat "$work/sim.log")"
pty=$(readlink -f "$(awk '/^ready /{print $3}' "$work/sim.log")")

# Wine's view of it: the prefix is made by the first wine-run.
"$wine_run" cmd /c exit 0
ln -sfn "$pty" "$prefix/dosdevices/com$com"
"$wine_run" "$register" "$com" >/dev/null || fail "could not register COM$com"

desktop="$prefix/home/Desktop"
rm -f "$desktop"/FORM*.DAT

cd "$work/app"
case $mode in
  command-line)
    set +e
    timeout 120 "$wine_run" "$bayhaul" --download >"$work/out.txt" 2>&1
    status=$?
    set -e
    cat "$work/out.txt"
    [ $status -eq 0 ] || fail "bayhaul --download exited with $status"
    grep -q "^Finished download 1 file(s) at " "$work/out.txt" || fail "no final status line"
    ;;
  click)
    bash "$(dirname "$0")/click_download.sh" "$wine_run" "$bayhaul" "$desktop/FORM.DAT" ||
      fail "the click did not download"
    ;;
  *) fail "unknown mode $mode" ;;
esac

[ -f "$desktop/FORM.DAT" ] || fail "no FORM.DAT on the desktop: $(ls -A "$desktop")"
cmp "$work/expected" "$desktop/FORM.DAT" || fail "FORM.DAT differs from the terminal's"
[ -f settings.ini ] || fail "no settings.ini written in the program's folder"
rm -f "$desktop/FORM.DAT"
echo "ok: $mode, $(stat -c %s "$work/expected") bytes from COM$com"
