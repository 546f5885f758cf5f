#!/usr/bin/env bash
# The Debian package end to end: builds it, checks its metadata (lintian,
# desktop-file-validate, appstreamcli, one version everywhere), installs it
# with dpkg, runs "bayhaul --download" as an ordinary user in a fresh home
# against a simulated terminal, and removes it again. Needs root for dpkg
# and useradd; safe to run again (it removes its user and the package).
set -euo pipefail
cd "$(dirname "$0")/../.."

if [ "$(id -u)" -ne 0 ]; then
  echo "deb package test: skipped: needs root to install the package (dpkg -i) and add a user"
  exit 0
fi

failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }

deb=$(scripts/package-deb.sh | tail -1)
echo "built $deb ($(stat -c %s "$deb") bytes)"

# One version: the package, its file name and the metainfo release all say
# major.minor.revision of project(), as the About box does.
read -r major minor _ revision < <(sed -n 's/^project(Bayhaul VERSION \([0-9]*\)\.\([0-9]*\)\.\([0-9]*\)\.\([0-9]*\).*/\1 \2 \3 \4/p' CMakeLists.txt)
version=$major.$minor.$revision
check "package version is $version" test "$(dpkg-deb -f "$deb" Version)" = "$version"
check "file name is bayhaul_${version}_amd64.deb" test "$(basename "$deb")" = "bayhaul_${version}_amd64.deb"

unpacked=$(mktemp -d)
user=bayhaul-deb-test
home=/home/$user
runtime=$(mktemp -d /tmp/bayhaul-deb-run.XXXXXX)
simulator_pid=
# The test user and anything left running as it (only this test runs as
# it, so those are a run's own leftovers, a simulator of an interrupted run).
remove_user() {
  id "$user" >/dev/null 2>&1 || return 0
  local pids
  pids=$(pgrep -u "$user" || true)
  [ -z "$pids" ] || { kill $pids 2>/dev/null || true; sleep 0.5; }
  userdel -r "$user" 2>/dev/null || true
}
cleanup() {
  [ -n "$simulator_pid" ] && kill "$simulator_pid" 2>/dev/null || true
  remove_user
  # Purged, so no record of the package is left on the machine either.
  dpkg-query -W bayhaul >/dev/null 2>&1 && dpkg -P bayhaul >/dev/null 2>&1 || true
  rm -rf "$unpacked" "$runtime"
}
trap cleanup EXIT

dpkg-deb -x "$deb" "$unpacked"
check "release in the metainfo is $version" \
  grep -q "<release version=\"$version\"" "$unpacked/usr/share/metainfo/org.bayhaul.Bayhaul.metainfo.xml"
check "desktop-file-validate" desktop-file-validate "$unpacked/usr/share/applications/org.bayhaul.Bayhaul.desktop"
check "appstreamcli validate" appstreamcli validate --no-net "$unpacked/usr/share/metainfo/org.bayhaul.Bayhaul.metainfo.xml"
# CPack's own ldconfig calls are the one warning allowed (the library is
# private, so they are only useless).
check "lintian" lintian --fail-on error,warning --suppress-tags maintscript-calls-ldconfig "$deb"
names_dialout() { grep -q 'sudo usermod -aG dialout \$USER' <<<"$(dpkg-deb -f "$deb" Description)"; }
check "description names the dialout group" names_dialout
depends_on_platform_plugins() { grep -q 'qt6-qpa-plugins' <<<"$(dpkg-deb -f "$deb" Depends)"; }
check "depends on Qt's platform plugins" depends_on_platform_plugins

dpkg -i "$deb" >/dev/null
installed=$(dpkg-query -L bayhaul)
check "program, worker and library side by side" test -x /usr/lib/bayhaul/bayhaul -a -x /usr/lib/bayhaul/bayhaul-worker -a -f /usr/lib/bayhaul/TetherDll.so
starts_the_watch() { grep -qx 'ExecStart=/usr/bin/bayhaul --watch' /usr/lib/systemd/user/bayhaul-watch.service; }
check "the watch as a user service" starts_the_watch

# An ordinary user in a fresh home, with nothing of the caller's
# environment: no display, its own runtime folder for the virtual ports.
remove_user
useradd -m -s /bin/sh "$user"
chown "$user:" "$runtime"
chmod 700 "$runtime"
as_user() {
  runuser -u "$user" -- env -i HOME="$home" USER="$user" LOGNAME="$user" PATH=/usr/bin:/bin \
    XDG_RUNTIME_DIR="$runtime" LANG=C.UTF-8 "$@"
}
as_user mkdir "$home/Desktop" "$home/terminal" "$home/elsewhere"
as_user head -c 40000 /dev/urandom >"$home/terminal/FORM.DAT"
chown "$user:" "$home/terminal/FORM.DAT"

# The simulator on a COM number no port of this machine has.
used=$(as_user bayhaul-ports | cut -f1)
for number in $(seq 20 99); do grep -qx "COM$number" <<<"$used" || break; done
log=$runtime/terminal.log
as_user bayhaul-terminal --com "$number" --dir "$home/terminal" >"$log" 2>&1 &
simulator_pid=$!
for _ in $(seq 100); do grep -q '^ready ' "$log" && break; sleep 0.1; done
check "simulated terminal on COM$number" grep -q '^ready ' "$log"

# From a folder of the user's that is not the settings folder: settings.ini
# must land in ~/.config/bayhaul, not here.
status=0
output=$(cd "$home/elsewhere" && as_user bayhaul --download 2>&1) || status=$?
echo "$output" | sed 's/^/  bayhaul: /'
check "bayhaul --download exits with 0" test "$status" -eq 0
check "reports one file" grep -q "Finished download 1 file(s)" <<<"$output"
check "FORM.DAT on the desktop is byte-identical" cmp -s "$home/terminal/FORM.DAT" "$home/Desktop/FORM.DAT"
check "settings.ini created in ~/.config/bayhaul with the defaults" \
  cmp -s <(printf '1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n') "$home/.config/bayhaul/settings.ini"
check "no settings.ini in the current folder" test ! -e "$home/elsewhere/settings.ini"

# XDG_CONFIG_HOME moves the settings folder; arguments and exit codes pass through.
as_user env XDG_CONFIG_HOME="$home/own-config" sh -c 'cd / && bayhaul --download' >/dev/null 2>&1 || true
check "settings.ini follows XDG_CONFIG_HOME" test -f "$home/own-config/bayhaul/settings.ini"
help_starts_with_usage() { grep -q '^usage: bayhaul' <<<"$(as_user bayhaul --help)"; }
check "bayhaul --help passes through" help_starts_with_usage
status=0; as_user bayhaul --no-such-option >/dev/null 2>&1 || status=$?
check "a wrong argument exits with 2" test "$status" -eq 2

kill "$simulator_pid"; wait "$simulator_pid" 2>/dev/null || true; simulator_pid=

# Removal leaves no path of the package, except folders other packages share.
dpkg -r bayhaul >/dev/null
left=()
while IFS= read -r path; do
  [ -e "$path" ] || continue
  [ -d "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1 && continue
  left+=("$path")
done <<<"$installed"
check "dpkg -r removes everything it installed" test ${#left[@]} -eq 0
[ ${#left[@]} -eq 0 ] || printf '  left behind: %s\n' "${left[@]}" >&2

if [ "$failures" -ne 0 ]; then
  echo "deb package test: $failures check(s) FAILED" >&2
  exit 1
fi
echo "deb package test: all checks passed"
