#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test.
#   scripts/test.sh              the normal build (build/)
#   scripts/test.sh --asan       clang with AddressSanitizer and UBSan (build-asan/)
#   scripts/test.sh --tsan       clang with ThreadSanitizer, threaded tests only (build-tsan/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-normal}
"$root/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
# The pseudo-terminal tests run against real time; on a loaded machine one
# may miss a deadline. A test gets a second run before it counts as failed;
# a real fault fails both.
retry=(--repeat until-pass:2)
case "$mode" in
  normal)
    VARNEK_BUILD_DIR=${VARNEK_BUILD_DIR:-$root/build} "$root/scripts/build.sh"
    ctest --test-dir "${VARNEK_BUILD_DIR:-$root/build}" --output-on-failure -j2 "${retry[@]}"
    ;;
  --asan)
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
    # Qt's own start-up allocations are not ours to chase.
    export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp
    CC=clang CXX=clang++ VARNEK_BUILD_DIR=$root/build-asan VARNEK_BUILD_TYPE=Debug \
      "$root/scripts/build.sh" -DVARNEK_SANITIZE=address,undefined
    ctest --test-dir "$root/build-asan" --output-on-failure -j2 "${retry[@]}"
    ;;
  --tsan)
    export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
    CC=clang CXX=clang++ VARNEK_BUILD_DIR=$root/build-tsan VARNEK_BUILD_TYPE=Debug \
      "$root/scripts/build.sh" -DVARNEK_SANITIZE=thread -DVARNEK_GUI=OFF
    ctest --test-dir "$root/build-tsan" --output-on-failure -j2 "${retry[@]}"
    ;;
  *)
    echo "usage: scripts/test.sh [--asan|--tsan]" >&2
    exit 2
    ;;
esac
