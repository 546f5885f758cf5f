#!/usr/bin/env bash
# Static checks of Windows binaries with the MinGW objdump, for trees whose
# programs cannot run here (the 32-bit one) as well as the others.
#
#   check-pe.sh exports OBJDUMP DLL API_HEADER [--stdcall]
#     The DLL exports the ten link functions declared in API_HEADER, and
#     perhaps those declared there as an "optional export", under their
#     undecorated names, and nothing else. With --stdcall, each one returns
#     with "ret $N", N being 4 bytes per argument of its declaration, as the
#     callee pops its arguments under __stdcall.
#   check-pe.sh imports OBJDUMP FILE...
#     Each file imports only DLLs of Windows itself, none of the compiler's
#     (libstdc++, libgcc, winpthread), since everything links statically.
set -euo pipefail

fail() { echo "FAIL: $*" >&2; status=1; }
status=0

# "Name Bytes Kind" per function type in the header, Kind being required or
# optional: Tether_X_t = ...(TETHER_CALL*)(args);  [// optional export]
declared_functions() {
  perl -0777 -ne 'while (/using\s+(Tether_\w+)_t\s*=[^;]*?\(TETHER_CALL\s*\*\)\s*\(([^)]*)\)\s*;([^\n]*)/g) {
      my ($name, $args, $rest) = ($1, $2, $3); $args =~ s/^\s+|\s+$//g;
      my $count = $args eq "" ? 0 : scalar(split /,/, $args);
      my $kind = $rest =~ /optional export/ ? "optional" : "required";
      print "$name ", 4 * $count, " $kind\n"; }' "$1"
}

check_exports() {
  local objdump=$1 dll=$2 header=$3 stdcall=${4:-}
  local headers required optional actual
  headers=$("$objdump" -p "$dll")
  required=$(declared_functions "$header" | awk '$3 == "required" {print $1}' | sort)
  optional=$(declared_functions "$header" | awk '$3 == "optional" {print $1}' | sort)
  [ "$(echo "$required" | wc -l)" -eq 10 ] || fail "expected ten functions in $header, found: $required"
  actual=$(echo "$headers" | awk '/^\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^$/ {on=0} on {print $NF}' | sort)
  # What it exports that is neither required nor optional, and what it lacks.
  local extra lacking
  extra=$(comm -23 <(echo "$actual") <(printf '%s\n' "$required" "$optional" | sort))
  lacking=$(comm -13 <(echo "$actual") <(echo "$required"))
  if [ -n "$extra$lacking" ]; then
    fail "$dll exports"$'\n'"$actual"$'\n'"instead of"$'\n'"$required"$'\n'"and perhaps"$'\n'"$optional"
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
        comctl32.dll|comdlg32.dll|gdiplus.dll|msvcrt.dll|oleacc.dll|shlwapi.dll|version.dll|ws2_32.dll|uxtheme.dll|\
        api-ms-win-*) ;;
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
