#!/usr/bin/env bash
# Runs the 32-bit Windows build (build-win32/, what ships) for real. This
# machine's kernel runs no 32-bit program, so it boots a 32-bit Debian
# machine under qemu-system-i386 and runs in it, under Debian's wine32:
#   - every test program of build-win32/ (tests/test-programs.txt there),
#   - Bayhaul.exe --download in an empty folder: the default settings.ini,
#   - Bayhaul.exe --download against the Linux simulator on this machine,
#     whose pseudo-terminal is the machine's second serial port, Wine's
#     COM7: the copy must be byte-identical; then again with a second
#     simulator on the third serial port, COM8, both in one press.
# It prints one PASS or FAIL line per check, the time of each stage, and
# exits with 1 on any failure.
#
# The machine is made from Debian's i386 packages alone: apt on this machine
# picks and fetches them, and they are unpacked without running their
# scripts, so nothing 32-bit runs until the machine boots (the one script
# Wine needs runs in the machine). It boots the
# Debian kernel with a small initrd of its own (busybox and the modules for
# its disks). The machine's kernel, initrd and disk image, with a Wine
# prefix made once at its first boot, are cached in
# ${XDG_CACHE_HOME:-~/.cache}/bayhaul/win32-machine (or
# $BAYHAUL_MACHINE_CACHE), keyed on the exact package versions and on the
# code that makes them, so a second run only boots and tests.
#
#   scripts/test-win32-machine.sh [--no-build]
#     --no-build  use build/ and build-win32/ as they are (./test.sh has
#                 built them) rather than building them first
set -euo pipefail
cd "$(dirname "$0")/.."
source_root=$PWD
here=$source_root/scripts/win32-machine

build=yes
for arg in "$@"; do
  case $arg in
    --no-build) build=no ;;
    *) echo "usage: scripts/test-win32-machine.sh [--no-build]" >&2; exit 2 ;;
  esac
done

cache=${BAYHAUL_MACHINE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/bayhaul/win32-machine}
suite=bookworm
mirror=http://deb.debian.org/debian
# wine32 runs the programs, busybox-static is the machine's shell and
# tools, libc-bin its ldconfig. The kernel comes without what its package
# needs to install itself on a real system.
packages=(wine32 busybox-static libc-bin)
kernel_package=linux-image-686-pae
com=7
# TCG: the machine's processor is emulated (there is no KVM here). With
# SMAP the guest kernel oopses in every Wine process.
qemu_machine=(-machine pc,accel=tcg -cpu max,-smap -m 1536 -smp 1 -nodefaults -display none -monitor none -no-reboot)

work=$(mktemp -d)
sim_pids=()
qemu_pid=
cleanup() {
  local pid
  for pid in $qemu_pid "${sim_pids[@]}"; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
die() {
  echo "win32-machine: $*" >&2
  exit 1
}

stage_times=()
# stage NAME COMMAND...: runs a step and notes how long it took.
stage() {
  local name=$1 start=$EPOCHREALTIME
  shift
  "$@"
  local took
  took=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN {printf "%.1f", b - a}')
  stage_times+=("$(printf '%-22s %7s s' "$name" "$took")")
  echo "win32-machine: $name: $took s"
}

build_trees() {
  scripts/build.sh
  scripts/build-windows.sh i686
}

# apt on this machine, for i386 and the one suite, with state of its own.
apt_dir=$cache/apt
apt_i386() { APT_CONFIG=$apt_dir/apt.conf apt-get -q -o Dpkg::Use-Pty=0 "$@"; }
set_up_apt() {
  mkdir -p "$apt_dir"/{etc/apt.conf.d,etc/preferences.d,lists/partial,archives/partial,cache}
  : >"$apt_dir/status"
  echo "deb [arch=i386 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $suite main" \
    >"$apt_dir/etc/sources.list"
  cat >"$apt_dir/apt.conf" <<EOF
Dir::Etc "$apt_dir/etc";
Dir::State::Lists "$apt_dir/lists";
Dir::State::status "$apt_dir/status";
Dir::Cache "$apt_dir/cache";
Dir::Cache::archives "$apt_dir/archives";
APT::Architecture "i386";
APT::Architectures { "i386"; };
APT::Install-Recommends "false";
Debug::NoLocking "true";
EOF
}

# The packages and versions the machine is made of, "name version" a line.
resolve_packages() {
  set_up_apt
  apt_i386 update >"$work/apt-update.log" 2>&1 ||
    { [ -n "$(ls "$apt_dir/lists" 2>/dev/null | grep _Packages)" ] || die "cannot fetch the i386 package index: $(cat "$work/apt-update.log")"
      echo "win32-machine: the package index could not be refreshed; using the one from the last run" >&2; }
  apt_i386 install -s "${packages[@]}" | awk '/^Inst / {print $2, substr($3, 2)}' >"$work/packages"
  grep -q '^wine32 ' "$work/packages" || die "apt picked no wine32: $(cat "$work/packages")"
  apt_i386 install -s "$kernel_package" | awk '/^Inst linux-image-[0-9]+\./ {print $2, substr($3, 2)}' >"$work/kernel-version"
  [ -s "$work/kernel-version" ] || die "apt found no kernel for $kernel_package"
}

fetch_packages() {
  apt_i386 install -y --download-only "${packages[@]}" >"$work/apt-fetch.log" 2>&1 ||
    die "cannot fetch the packages: $(tail -5 "$work/apt-fetch.log")"
  mkdir -p "$work/kernel-deb"
  (cd "$work/kernel-deb" && apt_i386 download "$(awk '{print $1 "=" $2}' "$work/kernel-version")") >>"$work/apt-fetch.log" 2>&1 ||
    die "cannot fetch the kernel: $(tail -5 "$work/apt-fetch.log")"
}

# The machine's root: every package but the kernel unpacked, and the few
# files their scripts would have made that the machine needs.
make_root() {
  local tree=$1 deb
  mkdir -p "$tree"
  for deb in "$apt_dir"/archives/*.deb; do
    dpkg-deb -x "$deb" "$tree"
  done
  rm -rf "$tree"/usr/share/{doc,man,info,lintian}
  # The one package script Wine needs: it makes Wine's zlib1.dll from
  # MinGW's. It runs in the machine when the prefix is made.
  mkdir -p "$tree/var/lib/bayhaul"
  dpkg-deb --ctrl-tarfile "$apt_dir"/archives/libwine_*.deb | tar -xO ./postinst >"$tree/var/lib/bayhaul/libwine.postinst"
  mkdir -p "$tree"/{proc,sys,dev,tmp,mnt,root,run,var/tmp}
  chmod 1777 "$tree/tmp" "$tree/var/tmp"
  echo 'root:x:0:0:root:/root:/bin/sh' >"$tree/etc/passwd"
  echo 'root:x:0:' >"$tree/etc/group"
}

# "name" of each module MODULE needs, then MODULE, from the modules' own
# lists of what they depend on.
module_order() {
  local modules=$1 name=$2 file dep
  file=$(find "$modules" -name "$name.ko" | head -1)
  [ -n "$file" ] || die "no module $name in the kernel package"
  for dep in $(tr '\0' '\n' <"$file" | sed -n 's/^depends=//p' | tr ',' ' '); do
    module_order "$modules" "$dep"
  done
  echo "$name"
}

# The kernel, and an initrd with busybox, the modules for the virtio disks
# and ext4 (the kernel has the serial ports built in), and our init.
make_boot_files() {
  local tree=$1 out=$2 kernel=$work/kernel initrd=$work/initrd modules name
  mkdir -p "$kernel" "$initrd"/{bin,modules}
  dpkg-deb -x "$(ls "$work"/kernel-deb/linux-image-*.deb | head -1)" "$kernel"
  cp "$kernel"/boot/vmlinuz-* "$out/vmlinuz"
  modules=$(echo "$kernel"/lib/modules/*)
  for name in virtio_pci virtio_blk crc32c_generic ext4; do module_order "$modules" "$name"; done |
    awk '!seen[$0]++' >"$initrd/modules/order"
  while read -r name; do
    cp "$(find "$modules" -name "$name.ko" | head -1)" "$initrd/modules/"
  done <"$initrd/modules/order"
  cp "$tree/bin/busybox" "$initrd/bin/"
  cp "$here/init" "$initrd/init"
  (cd "$initrd" && find . | cpio -o -H newc --quiet | gzip -1) >"$out/initrd.gz"
}

# The root as an ext4 image, with room for the Wine prefix and the runs.
make_image() {
  local tree=$1 image=$2 size
  size=$(($(du -sm "$tree" | cut -f1) + 1024))
  mkfs.ext4 -q -F -L bayhaul-machine -d "$tree" "$image" "${size}M"
}

# A small disk with what one boot runs: the guest scripts, and for a test
# run the programs and libraries of build-win32 at their places there, and
# in shipped/ Bayhaul.exe, bayhaul-worker.exe and TetherDll.dll stripped as the packages ship
# them (scripts/package-windows.sh).
make_payload() {
  local mode=$1 image=$2 payload=$work/payload-$1 strip f
  mkdir -p "$payload"
  cp "$here/guest-env.sh" "$payload/"
  cp "$here/guest-$mode.sh" "$payload/guest.sh"
  if [ "$mode" = tests ]; then
    (cd build-win32 && find . \( -name CMakeFiles -o -name package \) -prune -o -type f \( -iname '*.exe' -o -iname '*.dll' \) -print |
      cpio -pdm --quiet "$payload")
    strip=$(sed -n 's/^CMAKE_STRIP:[A-Z]*=//p' build-win32/CMakeCache.txt)
    mkdir -p "$payload/shipped"
    for f in Bayhaul.exe bayhaul-worker.exe TetherDll.dll; do "$strip" --strip-all -o "$payload/shipped/$f" "build-win32/bin/$f"; done
    cp build-win32/tests/test-programs.txt "$payload/tests/"
    cp "$work/terminal$com/FORM.DAT" "$payload/expected-FORM.DAT"
    cp "$work/terminal$((com + 1))/FORM.DAT" "$payload/expected-FORM02.DAT"
    printf 'build_path=%s\ncom=%s\n' "$source_root/build-win32" "$com" >"$payload/machine.conf"
  fi
  mkfs.ext4 -q -F -d "$payload" "$image" "$(($(du -sm "$payload" | cut -f1) + 64))M"
}

# boot DIR LOG TIMEOUT QEMU-ARGS...: boots the machine with the kernel and
# initrd in DIR until it powers off.
boot() {
  local dir=$1 log=$2 limit=$3 status=0
  shift 3
  : >"$log"
  timeout "$limit" qemu-system-i386 "${qemu_machine[@]}" \
    -kernel "$dir/vmlinuz" -initrd "$dir/initrd.gz" -append "console=ttyS0 quiet panic=-1" \
    -chardev file,id=console,path="$log" -serial chardev:console "$@" &
  qemu_pid=$!
  # The console as it comes, until the machine is gone.
  tail -n +1 -f --pid="$qemu_pid" "$log" | tr -d '\r'
  wait "$qemu_pid" || status=$?
  qemu_pid=
  [ $status -ne 124 ] || echo "win32-machine: the machine did not finish within $limit s" >&2
  return 0
}

# The machine's first boot, in DIR: it makes the Wine prefix in its image.
prepare_prefix() {
  local dir=$1
  make_payload prepare "$work/prepare.ext4"
  boot "$dir" "$work/prepare.log" 1800 \
    -drive file="$dir/machine.ext4",format=raw,if=virtio -drive file="$work/prepare.ext4",format=raw,if=virtio
  grep -q '^prefix made in' "$work/prepare.log" || die "the Wine prefix was not made (log above)"
}

# start_simulator COM BYTES: a simulated terminal holding BYTES of random
# data, so a slip anywhere shows; its pseudo-terminal in terminal_pty.
start_simulator() {
  local number=$1 bytes=$2 dir=$work/terminal$1 log=$work/sim$1.log
  mkdir -p "$dir" "$work/run"
  head -c "$bytes" /dev/urandom >"$dir/FORM.DAT"
  XDG_RUNTIME_DIR=$work/run build/bin/bayhaul-terminal --com "$number" --dir "$dir" >"$log" 2>&1 &
  sim_pids+=($!)
  for _ in $(seq 100); do
    grep -q '^ready ' "$log" && break
    sleep 0.1
  done
  grep -q '^ready ' "$log" || die "the simulator did not start: $(cat "$log")"
  terminal_pty=$(readlink -f "$(awk '/^ready /{print $3}' "$log")")
}

start_simulators() {
  start_simulator "$com" 204800
  first_pty=$terminal_pty
  # Small, so its file arrives first.
  start_simulator $((com + 1)) 16384
  second_pty=$terminal_pty
}

run_tests() {
  make_payload tests "$work/tests.ext4"
  # The cached image stays as it is: the run writes to a throw-away overlay.
  boot "$machine" "$work/tests.log" 1800 \
    -drive file="$machine/machine.ext4",format=raw,if=virtio,snapshot=on \
    -drive file="$work/tests.ext4",format=raw,if=virtio \
    -chardev serial,id=first,path="$first_pty" -serial chardev:first \
    -chardev serial,id=second,path="$second_pty" -serial chardev:second
}

run_started=$EPOCHREALTIME
stage "host packages" scripts/install-deps.sh win32-machine
if [ $build = yes ]; then stage "build" build_trees; fi
[ -f build-win32/tests/test-programs.txt ] || die "build-win32 is not built: run scripts/build-windows.sh i686"
[ -x build/bin/bayhaul-terminal ] || die "build/ is not built: run scripts/build.sh"

mkdir -p "$cache"
# One run at a time makes or changes the cache; the runs themselves only
# read the machine's image.
exec 9>"$cache/lock"
flock 9
stage "resolve packages" resolve_packages
# Whatever makes the machine is part of its key: the packages, the code
# here and in the machine that turns them into a machine with a Wine
# prefix, and the emulated machine's settings.
machine_key=$({ cat "$work/packages" "$work/kernel-version"; echo "${qemu_machine[*]}"
  declare -f make_root module_order make_boot_files make_image prepare_prefix
  cat "$here/init" "$here/guest-env.sh" "$here/guest-prepare.sh"; } | sha256sum | cut -c1-16)
machine=$cache/$machine_key

if [ ! -f "$machine/machine.ext4" ]; then
  # A new machine: older ones are of no more use.
  find "$cache" -mindepth 1 -maxdepth 1 -type d ! -name apt -exec rm -rf {} +
  mkdir -p "$machine.new"
  stage "fetch packages" fetch_packages
  stage "unpack root" make_root "$work/root"
  stage "kernel and initrd" make_boot_files "$work/root" "$machine.new"
  stage "root image" make_image "$work/root" "$machine.new/machine.ext4"
  rm -rf "$work/root" "$apt_dir"/archives/*.deb
  stage "Wine prefix" prepare_prefix "$machine.new"
  mv "$machine.new" "$machine"
fi
exec 9>&-

stage "simulators" start_simulators
stage "boot and test" run_tests

echo
echo "win32-machine: stages"
printf '  %s\n' "${stage_times[@]}"
printf '  %-22s %7s s\n' "all" "$(awk -v a="$run_started" -v b="$EPOCHREALTIME" 'BEGIN {printf "%.1f", b - a}')"
echo "win32-machine: checks"
tr -d '\r' <"$work/tests.log" | grep -E '^(PASS|FAIL) ' | sed 's/^/  /' || true
summary=$(tr -d '\r' <"$work/tests.log" | grep -E '^win32-machine: [0-9]+ passed, [0-9]+ failed$' || true)
[ -n "$summary" ] || die "the machine stopped before it finished its checks (console above)"
echo "$summary"
[[ "$summary" == *", 0 failed" ]]
