#!/usr/bin/env bash
# Static checks of Windows binaries with the MinGW objdump, for trees whose
# programs cannot run here (the 32-bit one) as well as the others.
#
#   check-pe.sh exports OBJDUMP DLL API_HEADER [--stdcall]
#     The DLL exports exactly the ten link functions declared in
#     API_HEADER, under their undecorated names. With --stdcall, each one
#     returns with "ret $N", N being 4 bytes per argument of its declaration,
#     as the callee pops its arguments under __stdcall.
#   check-pe.sh imports OBJDUMP FILE...
#     Each file imports only DLLs of Windows itself, none of the compiler's
#     (libstdc++, libgcc, winpthread), since everything links statically.
set -euo pipefail

fail() { echo "FAIL: $*" >&2; status=1; }
status=0

# "Name Bytes" per function type in the header: Tether_X_t = ...(TETHER_CALL*)(args);
declared_functions() {
  perl -0777 -ne 'while (/using\s+(Tether_\w+)_t\s*=[^;]*?\(TETHER_CALL\s*\*\)\s*\(([^)]*)\)\s*;/g) {
      my ($name, $args) = ($1, $2); $args =~ s/^\s+|\s+$//g;
      my $count = $args eq "" ? 0 : scalar(split /,/, $args);
      print "$name ", 4 * $count, "\n"; }' "$1"
}

check_exports() {
  local objdump=$1 dll=$2 header=$3 stdcall=${4:-}
  local headers expected actual
  headers=$("$objdump" -p "$dll")
  expected=$(declared_functions "$header" | cut -d' ' -f1 | sort)
  [ "$(echo "$expected" | wc -l)" -eq 10 ] || fail "expected ten functions in $header, found: $expected"
  actual=$(echo "$headers" | awk '/^\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^$/ {on=0} on {print $NF}' | sort)
  if [ "$actual" != "$expected" ]; then
    fail "$dll exports"$'\n'"$actual"$'\n'"instead of"$'\n'"$expected"
  fi
  [ -z "$stdcall" ] && return 0

  # The name table is sorted and ld numbers the exports in that order, so
  # the i-th name is the i-th entry of the address table.
  local base rvas names
  base=$(echo "$headers" | awk '$1 == "ImageBase" {print $2}')
  rvas=$(echo "$headers" | awk '/^Export Address Table/ {on=1; next} on && /^$/ {on=0} on && /Export RVA/ {print $(NF-2)}')
  names=$(echo "$headers" | awk '/^\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^$/ {on=0} on {print $NF}')
  paste <(echo "$names") <(echo "$rvas") | while read -r name rva; do
    local want start ret got
    want=$(declared_functions "$header" | awk -v n="$name" '$1 == n {print $2}')
    start=$(printf '0x%x' $((0x$base + 0x$rva)))
    # The first return of the function's code.
    ret=$("$objdump" -d --no-show-raw-insn --start-address="$start" --stop-address=$((start + 4096)) "$dll" |
          grep -m1 -E $'\tret' || true)
    if [[ "$ret" =~ ret[[:space:]]+\$0x([0-9a-f]+) ]]; then got=$((16#${BASH_REMATCH[1]})); elif [[ "$ret" =~ ret ]]; then got=0; else got=none; fi
    if [ "$got" != "$want" ]; then
      echo "FAIL: $name returns with '${ret##*:}' (pops $got bytes), its declaration takes $want" >&2
      exit 1
    fi
    echo "$name: ret pops $got bytes"
  done || status=1
}

check_imports() {
  local objdump=$1; shift
  local file dll
  for file in "$@"; do
    while read -r dll; do
      case "${dll,,}" in
        kernel32.dll|user32.dll|gdi32.dll|shell32.dll|ole32.dll|oleaut32.dll|advapi32.dll|setupapi.dll|\
        comctl32.dll|comdlg32.dll|gdiplus.dll|msvcrt.dll|shlwapi.dll|version.dll|ws2_32.dll|uxtheme.dll|api-ms-win-*) ;;
        *) fail "$file imports $dll, which is not part of Windows" ;;
      esac
    done < <("$objdump" -p "$file" | awk '/DLL Name:/ {print $3}')
  done
}

case "${1:-}" in
  exports) shift; check_exports "$@" ;;
  imports) shift; check_imports "$@" ;;
  *) echo "usage: $0 exports OBJDUMP DLL API_HEADER [--stdcall] | imports OBJDUMP FILE..." >&2; exit 2 ;;
esac
[ "$status" -eq 0 ] && echo "OK"
exit "$status"
