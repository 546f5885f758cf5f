#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, then fuzzes each for SECONDS:
#   scripts/fuzz.sh SECONDS [--merge] [NAME...]
# NAME is a folder of tests/fuzz/corpus/ (frame_scanner, ...); all by default.
# Each target starts from its checked-in seeds and grows its corpus in
# build-fuzz/corpus/NAME/; an input that breaks it lands in
# build-fuzz/crashes/NAME/. The checked-in corpus is only read, unless
# --merge asks to add to it the new inputs that reach new code.
# Exits 1 when any target broke.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: scripts/fuzz.sh SECONDS [--merge] [NAME...]" >&2
  exit 2
}
[ $# -ge 1 ] && [[ "$1" =~ ^[0-9]+$ ]] || usage
seconds="$1"
shift
merge=false
names=()
for arg in "$@"; do
  case "$arg" in
    --merge) merge=true ;;
    -*) usage ;;
    *) names+=("$arg") ;;
  esac
done
seeds_root=tests/fuzz/corpus
if [ ${#names[@]} -eq 0 ]; then
  for folder in "$seeds_root"/*/; do names+=("$(basename "$folder")"); done
fi
for name in "${names[@]}"; do
  [ -d "$seeds_root/$name" ] || { echo "fuzz: no target $name (no folder $seeds_root/$name)" >&2; exit 2; }
done

scripts/install-deps.sh fuzz
build=build-fuzz
BUILD_TYPE=RelWithDebInfo scripts/configure.sh "$build" -DCMAKE_CXX_COMPILER=clang++-14 \
  -DBAYHAUL_FUZZ=ON -DBAYHAUL_SANITIZE=address,undefined
cmake --build "$build" -j"$(nproc)" --target bayhaul_fuzz_targets

broken=()
for name in "${names[@]}"; do
  corpus="$build/corpus/$name" crashes="$build/crashes/$name" log="$build/logs/$name.log"
  mkdir -p "$corpus" "$crashes" "$(dirname "$log")"
  echo "fuzz: $name for ${seconds}s (log $log)"
  if "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$crashes/" "$corpus" "$seeds_root/$name" >"$log" 2>&1; then
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$log" | sed 's/^/  /'
    echo "  corpus: $(find "$corpus" -type f | wc -l) inputs in $corpus"
    if $merge; then
      "$build/fuzz/fuzz_$name" -merge=1 "$seeds_root/$name" "$corpus" >>"$log" 2>&1
      echo "  merged the inputs that reach new code into $seeds_root/$name"
    fi
  else
    broken+=("$name")
    echo "  BROKEN: see $log and $crashes/"
    grep -m1 -E 'ERROR|fuzz property broken|runtime error' "$log" | sed 's/^/  /' || true
  fi
done

if [ ${#broken[@]} -gt 0 ]; then
  echo "fuzz: broken: ${broken[*]}" >&2
  exit 1
fi
echo "fuzz: no target broke"
