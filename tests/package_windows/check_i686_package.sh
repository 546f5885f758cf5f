#!/usr/bin/env bash
# The installer and the zip that ship, from the i686 tree, checked without
# running them (no 32-bit program runs here): the installer is a 32-bit PE
# carrying the project's version, makensis packed exactly the program and the
# library, stripped of debug information but not of code or exports, and the zip holds them and the readme in a folder of the version.
# Usage: check_i686_package.sh PACKAGE_SCRIPT OBJDUMP BIN PACKAGE_FOLDER VERSION FILE_VERSION
set -euo pipefail
package_script=$1 objdump=$2 bin=$3 out=$4 version=$5 file_version=$6
fail() { echo "FAIL: $*" >&2; exit 1; }
setup=$out/Bayhaul-$version-setup.exe
portable=$out/Bayhaul-$version-portable.zip

"$package_script" i686
[ -f "$setup" ] || fail "the script made no $setup"
[ -f "$portable" ] || fail "the script made no $portable"

"$objdump" -f "$setup" | grep -q 'file format pei-i386' || fail "$setup is not a 32-bit Windows program"
strings -el "$setup" | grep -qx "$file_version" || fail "$setup carries no version $file_version"
packed=$(sed -n 's/^ *File: "\([^"]*\)".*/\1/p' "$out/makensis.log" | sort | tr '\n' ' ')
[ "$packed" = "Bayhaul.exe TetherDll.dll bayhaul-worker.exe " ] || fail "makensis packed: $packed"
# The packed files are the build's, stripped: the same code, imports and
# exports, no debug sections.
sections() { "$objdump" -s -j .text -j .rdata -j .data -j .idata -j .edata -j .rsrc "$1" | tail -n +3; }
exports() { "$objdump" -p "$1" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p'; }
for f in Bayhaul.exe bayhaul-worker.exe TetherDll.dll; do
  packed_file=$out/Bayhaul-$version/$f
  cmp -s <(sections "$bin/$f") <(sections "$packed_file") || fail "the packed $f holds other code or data than the build's"
  ! "$objdump" -h "$packed_file" | grep -q '\.debug_' || fail "the packed $f keeps its debug sections"
done
[ -n "$(exports "$bin/TetherDll.dll")" ] && [ "$(exports "$bin/TetherDll.dll")" = "$(exports "$out/Bayhaul-$version/TetherDll.dll")" ] ||
  fail "the packed TetherDll.dll lost exports"

listed=$(zip -sf "$portable" | sed -n 's/^  //p' | sort | tr '\n' ' ')
folder=Bayhaul-$version
[ "$listed" = "$folder/ $folder/Bayhaul.exe $folder/README.txt $folder/TetherDll.dll $folder/bayhaul-worker.exe " ] ||
  fail "the zip holds: $listed"
grep -q "^Bayhaul $version, portable"$'\r'"\$" "$out/$folder/README.txt" || fail "the readme names no version $version or lacks CRLF"
echo "ok"
