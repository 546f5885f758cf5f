#!/usr/bin/env bash
# Installs what is missing, builds, and starts Bayhaul.
#
#   ./run.sh              with a simulated terminal holding a sample FORM.DAT
#                         on a free COM port, stopped when Bayhaul closes
#   ./run.sh --no-demo    Bayhaul alone, for real terminals
#
# Further arguments go to Bayhaul (./run.sh --no-demo --download, say).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
# Only what runs: the program, its terminal library, the simulated terminal
# and the port list the demo needs (./test.sh builds everything).
scripts/build.sh bayhaul TetherDll bayhaul-terminal bayhaul-ports

demo=yes
if [ "${1:-}" = "--no-demo" ]; then
  demo=no
  shift
fi
[ "$demo" = yes ] || exec build/bin/bayhaul "$@"

read -r terminal port < <(scripts/demo-terminal.sh)
trap 'kill "$terminal" 2>/dev/null || true' EXIT
echo "run.sh: a simulated terminal with a sample FORM.DAT is on $port; press the big button."
build/bin/bayhaul "$@"
