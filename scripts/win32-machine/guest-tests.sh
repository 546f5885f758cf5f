# In the machine, every run: the 32-bit build's test programs under wine32,
# Bayhaul.exe --download in an empty folder, and a download from the
# simulated terminal on the second serial port. Prints one PASS or FAIL line
# per check and a closing count; the host reads them from the console.
. /mnt/guest-env.sh
. /mnt/machine.conf  # build_path, com: where the host's build-win32 sits, the terminal's COM number

# The payload is the host's build-win32 (its programs and libraries), seen
# at the host's own path, so paths built into the tests (Z:/...) hold here.
# Bayhaul.exe runs as it ships: stripped, beside the stripped library.
mkdir -p "$build_path"
mount --bind /mnt "$build_path"
shipped=$build_path/shipped

passed=0
failed=0
check_start() {
  echo "=== $1"
  started=$(date +%s)
}
check_end() {  # NAME FAILURE (empty when it passed)
  if [ -z "$2" ]; then
    passed=$((passed + 1))
    echo "PASS $1 ($(($(date +%s) - started)) s)"
  else
    failed=$((failed + 1))
    echo "FAIL $1: $2 ($(($(date +%s) - started)) s)"
  fi
}

# One wineserver for the whole run: started afresh for each program it
# would cost every program Wine's whole start-up.
"$wineserver" -p

# Each test program from its own folder, as ctest runs them. Output goes
# through a file: on a terminal, Wine would draw a console on it.
while read -r program; do
  [ -n "$program" ] || continue
  name=$(basename "$program" .exe)
  check_start "$name"
  status=0
  (cd "$(dirname "$program")" && timeout 300 "$wine" "$program" >/tmp/out.txt 2>&1) || status=$?
  cat /tmp/out.txt
  check_end "$name" "$([ $status -eq 0 ] || echo "exited with $status")"
done <"$build_path/tests/test-programs.txt"

# Plain lines of a Windows program's output.
lines() { tr -d '\r' <"$1"; }

# The first start in an empty folder writes the default settings.ini.
check_start settings_ini_defaults
mkdir /tmp/first-start && cd /tmp/first-start
status=0
timeout 300 "$wine" "$shipped/Bayhaul.exe" --download >out.txt 2>&1 || status=$?
cat out.txt
printf '1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n' >expected.ini
problem=
[ $status -eq 0 ] || problem="exited with $status"
[ -f settings.ini ] || problem="${problem:+$problem; }no settings.ini"
[ -f settings.ini ] && ! cmp -s expected.ini settings.ini &&
  problem="${problem:+$problem; }settings.ini is not the defaults: $(od -c settings.ini | head -5)"
check_end settings_ini_defaults "$problem"

# A download from the host's simulated terminal, on the machine's second
# serial port, which Wine knows as COM$com.
check_start download_from_simulated_terminal
ln -sfn /dev/ttyS1 "$WINEPREFIX/dosdevices/com$com"
problem=
"$wine" "$build_path/tests/register-test-port.exe" "$com" >/dev/null 2>&1 || problem="could not register COM$com"
mkdir /tmp/download && cd /tmp/download
rm -f "$HOME/Desktop"/FORM*.DAT
status=0
[ -n "$problem" ] || timeout 300 "$wine" "$shipped/Bayhaul.exe" --download >out.txt 2>&1 || status=$?
[ -f out.txt ] && cat out.txt
if [ -z "$problem" ]; then
  [ $status -eq 0 ] || problem="exited with $status"
  [ "$(lines out.txt | head -1)" = "Searching..." ] || problem="${problem:+$problem; }the first line is not Searching..."
  lines out.txt | grep -qx "Downloading FORM.DAT from COM$com" ||
    problem="${problem:+$problem; }no line Downloading FORM.DAT from COM$com"
  lines out.txt | grep -q "^Finished download 1 file(s) at " || problem="${problem:+$problem; }no line Finished download 1 file(s)"
  if [ ! -f "$HOME/Desktop/FORM.DAT" ]; then
    problem="${problem:+$problem; }no FORM.DAT on the desktop"
  elif ! cmp "$HOME/Desktop/FORM.DAT" /mnt/expected-FORM.DAT; then
    problem="${problem:+$problem; }FORM.DAT differs from the terminal's"
  fi
  [ -f settings.ini ] || problem="${problem:+$problem; }no settings.ini"
fi
check_end download_from_simulated_terminal "$problem"

"$wineserver" -k
echo "win32-machine: $passed passed, $failed failed"
power_off
