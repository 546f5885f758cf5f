#!/usr/bin/env bash
# Builds the Windows installer and the portable zip from a built Windows tree
# (scripts/build-windows.sh):
#   scripts/package-windows.sh [i686]  build-win32/package/Bayhaul-VERSION-setup.exe
#                                      and Bayhaul-VERSION-portable.zip, to ship
#   scripts/package-windows.sh x86_64  build-win64/package/Bayhaul-VERSION-x64-setup.exe
#                                      and Bayhaul-VERSION-x64-portable.zip, for the test
#   scripts/package-windows.sh [i686] --win32-machine
#                                      the same, once the 32-bit build has
#                                      passed its run in a 32-bit machine
#                                      (scripts/test-win32-machine.sh)
# VERSION is major.minor.tweak of CMake's project version, read from the
# tree's CMakeCache.txt. Prints the files that went into both.
set -euo pipefail
cd "$(dirname "$0")/.."
arch=i686
machine=no
for arg in "$@"; do
  case $arg in
    i686|x86_64) arch=$arg ;;
    --win32-machine) machine=yes ;;
    *) echo "usage: scripts/package-windows.sh [i686|x86_64] [--win32-machine]" >&2; exit 2 ;;
  esac
done
case $arch in
  i686) build=build-win32 suffix= ;;
  x86_64) build=build-win64 suffix=-x64 ;;
esac
if [ $machine = yes ] && [ $arch != i686 ]; then
  echo "package-windows: --win32-machine runs the 32-bit build; it goes with i686" >&2
  exit 2
fi
for f in "$build/CMakeCache.txt" "$build/bin/Bayhaul.exe" "$build/bin/bayhaul-worker.exe" "$build/bin/TetherDll.dll"; do
  [ -f "$f" ] || { echo "package-windows: no $f: run scripts/build-windows.sh first" >&2; exit 1; }
done
if [ $machine = yes ]; then
  scripts/test-win32-machine.sh --no-build || { echo "package-windows: the 32-bit machine run failed; nothing packed" >&2; exit 1; }
fi

cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
file_version=$(cache_value CMAKE_PROJECT_VERSION)
version=$(cache_value CMAKE_PROJECT_VERSION_MAJOR).$(cache_value CMAKE_PROJECT_VERSION_MINOR).$(cache_value CMAKE_PROJECT_VERSION_TWEAK)
[[ $file_version =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] ||
  { echo "package-windows: $build has no four-part project version (found '$file_version')" >&2; exit 1; }

out=$PWD/$build/package
# The files of both, in the folder the zip holds.
stage=$out/Bayhaul-$version$suffix
setup=$out/Bayhaul-$version$suffix-setup.exe
portable=$out/Bayhaul-$version$suffix-portable.zip
rm -rf "$stage" "$setup" "$portable"
mkdir -p "$stage"
# Without the debug information and symbols of the build (RelWithDebInfo):
# a quarter of the size. The library's exports are in its export table, which
# stays.
strip=$(cache_value CMAKE_STRIP)
for f in Bayhaul.exe bayhaul-worker.exe TetherDll.dll; do
  "$strip" --strip-all -o "$stage/$f" "$build/bin/$f"
done
# The readme with the version filled in and Windows line ends.
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' packaging/windows/portable-readme.txt >"$stage/README.txt"

# makensis logs each file it packs; any warning fails the build (-WX).
if ! makensis -V4 -WX -NOCD \
  "-DARCH=$arch" "-DVERSION=$version" "-DFILE_VERSION=$file_version" \
  "-DSTAGE=$stage" "-DICON=$PWD/packaging/icons/bayhaul.ico" "-DOUTFILE=$setup" \
  packaging/windows/bayhaul.nsi >"$out/makensis.log" 2>&1; then
  cat "$out/makensis.log" >&2
  exit 1
fi

# The zip holds that folder, without Unix attributes.
(cd "$out" && zip -q -X -r "$portable" "${stage##*/}")

echo "$setup ($(stat -c %s "$setup") bytes) holds, as makensis packed them:"
sed -n 's/^ *File: "\([^"]*\)".*/  \1/p' "$out/makensis.log"
echo "$portable ($(stat -c %s "$portable") bytes) holds:"
zip -sf "$portable" | sed -n 's/^  /  /p'
