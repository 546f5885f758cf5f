#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Bayhaul
# need, and only those that are missing. Safe to run again and again.
#   scripts/install-deps.sh        what building and running need (./run.sh)
#   scripts/install-deps.sh tests  that, and what the tests need (./test.sh
#                                  and the sanitizer builds)
#   scripts/install-deps.sh fuzz   that, and clang with libFuzzer
#   scripts/install-deps.sh windows  that, and what the Windows trees and
#                                  their tests need
#   scripts/install-deps.sh package  that, and what the Debian package and
#                                  its test need
#   scripts/install-deps.sh win32-machine  that, and what the 32-bit machine
#                                  of scripts/test-win32-machine.sh needs
# Modes add up: ./test.sh asks for "tests windows package".
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev
  fonts-liberation
)
for mode in "$@"; do
  case "$mode" in
    # dbus-daemon: the session bus of the desktop notification test.
    tests) packages+=(libgtest-dev libgmock-dev lrzsz dbus-daemon) ;;
    fuzz) packages+=(libgtest-dev libgmock-dev lrzsz clang-14 libclang-rt-14-dev) ;;
    # MinGW-w64 with POSIX threads, GoogleTest's sources, wine64 to run the
    # 64-bit tests, and Xvfb with xdpyinfo, xdotool and ImageMagick's import
    # for their windows and screenshots.
    windows)
      packages+=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest wine64 xvfb x11-utils xdotool)
      packages+=(imagemagick)
      packages+=(nsis zip)  # the installer and the portable zip (scripts/package-windows.sh)
      ;;
    # CPack's dependency list (dpkg-shlibdeps, file), the package's checks,
    # and pgrep for the test's user.
    package) packages+=(dpkg-dev file lintian appstream desktop-file-utils procps) ;;
    # The emulator that boots the 32-bit machine, cpio for its initrd and
    # payload, mkfs.ext4 for its disks; apt and dpkg-deb fetch and unpack
    # its packages.
    win32-machine) packages+=(qemu-system-x86 cpio e2fsprogs debian-archive-keyring) ;;
    *)
      echo "usage: scripts/install-deps.sh [tests|fuzz|windows|package|win32-machine]..." >&2
      exit 2
      ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "install-deps: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
