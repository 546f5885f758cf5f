#!/usr/bin/env bash
# Builds the whole tree with sanitizers and runs tests there:
#   scripts/sanitize.sh          AddressSanitizer and UndefinedBehaviorSanitizer
#                                in build-asan/, every test
#   scripts/sanitize.sh thread   ThreadSanitizer in build-tsan/, the tests of the
#                                terminal library and the link (tether_*, link_*),
#                                and of the press, whose ports' workers run on
#                                threads of their own in its tests
#                                (main_window_state_tests,
#                                misbehaving_worker_tests, and the program itself
#                                in download_command_line_tests, but for the
#                                watch's, whose program runs a Qt front end);
#                                not the Qt windows' tests, as Qt is not built
#                                for it
# Further arguments go to ctest. Any sanitizer report fails its test. Installs
# nothing beyond scripts/install-deps.sh; safe to run again and again.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = thread ]; then
  shift
  build=build-tsan sanitize=thread
  select=(-L '^(tether_|link_|main_window_state_tests$|misbehaving_worker_tests$|download_command_line_tests$)'
          -E '^WatchTest[.]')
else
  build=build-asan sanitize=address,undefined select=()
fi

scripts/install-deps.sh tests
BUILD_TYPE=RelWithDebInfo scripts/configure.sh "$build" -DBAYHAUL_SANITIZE="$sanitize"
cmake --build "$build" -j"$(nproc)"

# A leak fails its test too (Qt leaks nothing here that needs suppressing).
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1"
export TSAN_OPTIONS="second_deadlock_stack=1"
cd "$build"
ctest --output-on-failure -j"$(nproc)" "${select[@]}" "$@"
