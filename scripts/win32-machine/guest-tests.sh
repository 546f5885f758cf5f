# In the machine, every run: the 32-bit build's test programs under wine32,
# Bayhaul.exe --download in an empty folder, a download from the simulated
# terminal on the second serial port, both terminals in one press, and
# both through the stand-in for the maker's library, once with it crashing
# on one port. Prints one PASS or FAIL line
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

# Downloads from the host's simulated terminals: COM$com on the machine's
# second serial port, COM$((com + 1)) on its third, each known to Wine
# through a dosdevices link and a registered port.
register_port() {  # COM DEVICE
  ln -sfn "$2" "$WINEPREFIX/dosdevices/com$1"
  "$wine" "$build_path/tests/register-test-port.exe" "$1" >/dev/null 2>&1
}
add_problem() { problem="${problem:+$problem; }$1"; }

# download_check NAME FILES: Bayhaul.exe --download in an empty folder must
# save FILES files, FORM.DAT from COM$com and FORM02.DAT from the next
# port, each identical to its terminal's.
download_check() {
  local name=$1 files=$2 folder=/tmp/$1
  mkdir "$folder" && cd "$folder"
  rm -f "$HOME/Desktop"/FORM*.DAT
  status=0
  timeout 300 "$wine" "$shipped/Bayhaul.exe" --download >out.txt 2>&1 || status=$?
  cat out.txt
  [ $status -eq 0 ] || add_problem "exited with $status"
  [ "$(lines out.txt | head -1)" = "Searching..." ] || add_problem "the first line is not Searching..."
  lines out.txt | grep -qx "Downloading FORM.DAT from COM$com" || add_problem "no line Downloading FORM.DAT from COM$com"
  lines out.txt | grep -q "^Finished download $files file(s) at " || add_problem "no line Finished download $files file(s)"
  for file in FORM.DAT FORM02.DAT; do
    [ $file = FORM.DAT ] || [ "$files" -eq 2 ] || break
    if [ ! -f "$HOME/Desktop/$file" ]; then
      add_problem "no $file on the desktop"
    elif ! cmp "$HOME/Desktop/$file" "/mnt/expected-$file"; then
      add_problem "$file differs from its terminal's"
    fi
  done
  [ -f settings.ini ] || add_problem "no settings.ini"
}

check_start download_from_simulated_terminal
problem=
register_port "$com" /dev/ttyS1 || add_problem "could not register COM$com"
[ -n "$problem" ] || download_check download_from_simulated_terminal 1
check_end download_from_simulated_terminal "$problem"

# Both terminals in one press, their sessions side by side on threads of
# their own.
check_start download_from_two_terminals
problem=
register_port $((com + 1)) /dev/ttyS2 || add_problem "could not register COM$((com + 1))"
[ -n "$problem" ] || download_check download_from_two_terminals 2
check_end download_from_two_terminals "$problem"

# The same two terminals through the stand-in for the maker's library,
# which takes one call at a time: a copy of the shipped programs whose
# TetherDll.dll is the stand-in, with ours beside it as TetherOurs.dll.
# Each port's worker loads its own copy, so both are saved; then the
# stand-in crashes inside the second port's transfer, which costs that port
# alone.
standin=/tmp/standin-program
mkdir -p "$standin"
cp "$shipped/Bayhaul.exe" "$shipped/bayhaul-worker.exe" "$standin/"
cp "$build_path/tests/one_call_tether/OneCallTether.dll" "$standin/TetherDll.dll"
cp "$build_path/tests/one_call_tether/TetherOurs.dll" "$standin/TetherOurs.dll"

check_start download_through_the_stand_in
problem=
mkdir /tmp/standin-two && cd /tmp/standin-two
rm -f "$HOME/Desktop"/FORM*.DAT
status=0
timeout 300 "$wine" "$standin/Bayhaul.exe" --download >out.txt 2>&1 || status=$?
cat out.txt
[ $status -eq 0 ] || add_problem "exited with $status"
lines out.txt | grep -q "^Finished download 2 file(s) at " || add_problem "no line Finished download 2 file(s)"
for file in FORM.DAT FORM02.DAT; do
  cmp -s "$HOME/Desktop/$file" "/mnt/expected-$file" || add_problem "$file is not its terminal's"
done
check_end download_through_the_stand_in "$problem"

check_start a_crash_in_the_stand_in_costs_its_port
problem=
mkdir /tmp/standin-crash && cd /tmp/standin-crash
rm -f "$HOME/Desktop"/FORM*.DAT
status=0
ONE_CALL_TETHER_FAULT="crash:$((com + 1)):transfer" WINEDEBUG=-all \
  timeout 300 "$wine" "$standin/Bayhaul.exe" --download >out.txt 2>&1 || status=$?
cat out.txt
[ $status -eq 1 ] || add_problem "exited with $status, not 1"
lines out.txt | grep -q "^COM$((com + 1)): not saved: the terminal library stopped working (crashed); the terminal keeps its data\. Press again" ||
  add_problem "no line saying COM$((com + 1))'s library crashed"
cmp -s "$HOME/Desktop/FORM.DAT" /mnt/expected-FORM.DAT || add_problem "FORM.DAT is not COM$com's"
[ ! -e "$HOME/Desktop/FORM02.DAT" ] || add_problem "a FORM02.DAT was saved"
check_end a_crash_in_the_stand_in_costs_its_port "$problem"

"$wineserver" -k
echo "win32-machine: $passed passed, $failed failed"
power_off
