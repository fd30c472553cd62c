#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test.
#   scripts/test.sh              the normal build (build/)
#   scripts/test.sh --asan       clang with AddressSanitizer and UBSan (build-asan/)
#   scripts/test.sh --tsan       clang with ThreadSanitizer, threaded tests only (build-tsan/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-normal}
"$root/scripts/setup.sh" test
export QT_QPA_PLATFORM=offscreen

# Runs the tests of build folder $1. Tests that run against real time (a
# pseudo-terminal, a simulated rig, a local server) carry the ctest label
# "realtime": in the normal run ($2 = retry) such a test that failed gets
# one more run, and the output names it, so a flake is seen, not hidden.
# Every other test, and every test of a sanitizer run, counts at its first
# run.
run_tests() {
  local dir=$1 retry=${2:-}
  ctest --test-dir "$dir" --output-on-failure -j2 && return 0
  [ "$retry" = retry ] || return 1
  local failed="$dir/Testing/Temporary/LastTestsFailed.log" name
  [ -s "$failed" ] || return 1
  local realtime
  realtime=$(ctest --test-dir "$dir" -N -L realtime | sed -n 's/^ *Test *#[0-9]*: //p')
  while IFS= read -r name; do
    name=${name#*:}
    if ! grep -qxF "$name" <<<"$realtime"; then
      echo "== $name failed and does not depend on real time: no second run"
      return 1
    fi
  done <"$failed"
  echo "== real-time tests that failed their first run, run once more:"
  sed 's/^[0-9]*:/   /' "$failed"
  ctest --test-dir "$dir" --output-on-failure --rerun-failed
}
case "$mode" in
  normal)
    # Explicitly on: scripts/run.sh leaves the tests out of the same folder.
    VARNEK_BUILD_DIR=${VARNEK_BUILD_DIR:-$root/build} "$root/scripts/build.sh" -DVARNEK_TESTS=ON
    run_tests "${VARNEK_BUILD_DIR:-$root/build}" retry
    ;;
  --asan)
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
    # Qt's own start-up allocations are not ours to chase.
    export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp
    CC=clang CXX=clang++ VARNEK_BUILD_DIR=$root/build-asan VARNEK_BUILD_TYPE=Debug \
      "$root/scripts/build.sh" -DVARNEK_TESTS=ON -DVARNEK_SANITIZE=address,undefined
    run_tests "$root/build-asan"
    ;;
  --tsan)
    export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
    CC=clang CXX=clang++ VARNEK_BUILD_DIR=$root/build-tsan VARNEK_BUILD_TYPE=Debug \
      "$root/scripts/build.sh" -DVARNEK_TESTS=ON -DVARNEK_SANITIZE=thread -DVARNEK_GUI=OFF
    run_tests "$root/build-tsan"
    ;;
  *)
    echo "usage: scripts/test.sh [--asan|--tsan]" >&2
    exit 2
    ;;
esac
