#!/usr/bin/env bash
# Checks every #include "..." of the product and tool folders against the
# table of README.md under "Which folder may include which": a row names a
# folder (or several) and, in backquotes, what it may include besides
# itself: a folder ("files/") or a single header ("ports/port_table.h").
# "anything" lets a folder include everything; a folder not in the table
# is not checked.
#   check-includes.sh [ROOT]       the tree at ROOT (default: this one)
#   check-includes.sh --self-test  shows it fails on a forbidden include
set -euo pipefail

check() {
  local root=$1 status=0
  # "folder<TAB>allowed allowed ..." for each folder of each row of the table.
  local table
  table=$(awk '
    /^Which folder may include which/ { on = 1; next }
    on && /^\|/ && !/^\| *Folder/ && !/^\|---/ {
      split($0, cells, "|")
      allowed = ""
      rest = cells[3]
      while (match(rest, /`[^`]*`/)) { allowed = allowed " " substr(rest, RSTART + 1, RLENGTH - 2); rest = substr(rest, RSTART + RLENGTH) }
      if (cells[3] ~ /anything/) allowed = allowed " *"
      folders = cells[2]
      while (match(folders, /`[^`]*`/)) { print substr(folders, RSTART + 1, RLENGTH - 2) "\t" allowed; folders = substr(folders, RSTART + RLENGTH) }
      next
    }
    on && /^$/ && seen { exit }
    on && /^\|/ { seen = 1 }
  ' "$root/README.md")
  [ -n "$table" ] || { echo "FAIL: no include table in $root/README.md" >&2; return 1; }

  while IFS=$'\t' read -r folder allowed; do
    [[ " $allowed " == *" * "* ]] && continue
    [ -d "$root/$folder" ] || { echo "FAIL: the table names $folder, which is not there" >&2; status=1; continue; }
    while IFS= read -r line; do
      local file=${line%%:*} included
      included=$(sed -n 's/.*#include "\([^"]*\)".*/\1/p' <<<"${line#*:}")
      [[ "$included" != */* ]] && continue                  # a header of the same folder, by its bare name
      [[ "$included" == "$folder"* ]] && continue           # its own folder
      local ok=0 item
      for item in $allowed; do
        if [[ "$item" == */ && "$included" == "$item"* ]] || [ "$included" = "$item" ]; then ok=1; break; fi
      done
      if [ $ok -eq 0 ]; then
        echo "FAIL: ${file#"$root"/} includes $included, which $folder may not (README.md, Layout)" >&2
        status=1
      fi
    done < <(grep -rn --include='*.cpp' --include='*.h' '^#include "' "$root/$folder" || true)
  done <<<"$table"
  return $status
}

if [ "${1:-}" = --self-test ]; then
  # A copy of the table and of one folder, with an include the table forbids.
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  root=$(cd "$(dirname "$0")/.." && pwd)
  cp "$root/README.md" "$scratch/"
  mkdir -p "$scratch/files"
  printf '#include "files/durable_file.h"\n#include "press/download.h"\n' >"$scratch/files/forbidden.cpp"
  if check "$scratch" 2>"$scratch/out"; then
    echo "FAIL: a forbidden include went through" >&2
    exit 1
  fi
  grep -q 'files/forbidden.cpp includes press/download.h' "$scratch/out" || { cat "$scratch/out" >&2; exit 1; }
  echo "OK: a forbidden include fails the check"
  exit 0
fi

root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
check "$root" && echo "OK: every include keeps to the table"
