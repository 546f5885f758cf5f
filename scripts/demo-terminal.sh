#!/usr/bin/env bash
# Starts one simulated terminal holding scripts/demo/FORM.DAT on the lowest
# COM number no port of this machine uses, and prints its process id and
# COM number ("PID COMn"). The terminal works on a copy of the sample in
# build/demo-terminal/, so a press that deletes the file on the terminal
# leaves the sample alone. Stop it with: kill PID
set -euo pipefail
cd "$(dirname "$0")/.."

folder=build/demo-terminal
log=build/demo-terminal.log
rm -rf "$folder"
mkdir -p "$folder"
cp scripts/demo/FORM.DAT "$folder/"

used=$(build/bin/bayhaul-ports | cut -f1)
for number in $(seq 1 256); do
  grep -qx "COM$number" <<<"$used" && continue
  build/bin/bayhaul-terminal --com "$number" --dir "$folder" >"$log" 2>&1 &
  pid=$!
  for _ in $(seq 50); do
    if grep -q '^ready ' "$log"; then
      echo "$pid COM$number"
      exit 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
done
echo "demo-terminal: could not start a simulated terminal (see $log)" >&2
exit 1
