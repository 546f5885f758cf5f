# Sourced first by the machine's programs (guest-prepare.sh, guest-tests.sh):
# busybox's commands, the kernel's file systems, and Wine's environment.
# The Wine prefix has a home of its own, as scripts/wine-run.sh gives the
# wine64 one, so the desktop and documents folders are $HOME/Desktop and
# $HOME/Documents.
/bin/busybox --install -s
export PATH=/usr/bin:/bin:/usr/sbin:/sbin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -o remount,rw /

export WINEPREFIX=/var/lib/bayhaul/wine
export HOME=$WINEPREFIX/home WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export USER=root
wine=/usr/lib/wine/wine
wineserver=/usr/lib/wine/wineserver32

# Ends the machine: everything written reaches the disks first.
power_off() {
  sync
  reboot -f
}
