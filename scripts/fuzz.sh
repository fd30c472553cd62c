#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build-fuzz/) and runs each one for
# SECONDS (default 300, the release check; CI runs a short pass) on a fresh
# copy of its seed corpus in fuzz/corpus/<target>/. Inputs that crash are
# kept in build-fuzz/crashes/<target>/. Exits non-zero when any target found
# a crash, a leak, a sanitizer report or a time-out.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-300}
shift || true
build=${VARNEK_FUZZ_BUILD_DIR:-$root/build-fuzz}
"$root/scripts/setup.sh" test

mkdir -p "$build"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVARNEK_FUZZ=ON -DVARNEK_GUI=OFF -DVARNEK_TESTS=OFF >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc)" --target fuzz

if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < <(cd "$root/fuzz/corpus" && ls)
fi

# The profile and version targets write a file for every input: keep it in
# memory where the machine has a tmpfs.
[ -d /dev/shm ] && export TMPDIR=/dev/shm
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
passed=0
failed=0
failures=()
for t in "${targets[@]}"; do
  work="$build/corpus-run/$t"
  crashes="$build/crashes/$t"
  rm -rf "$work"
  mkdir -p "$work" "$crashes"
  cp "$root/fuzz/corpus/$t/"* "$work/"
  echo "== $t: ${seconds}s"
  # -timeout: an input that takes this long is a hang; -rss_limit_mb keeps a
  # runaway allocation from taking the shared machine's memory.
  if "$build/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=4096 -print_final_stats=1 -artifact_prefix="$crashes/" "$work" \
      >"$build/$t.log" 2>&1; then
    passed=$((passed + 1))
    grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$build/$t.log" |
      tr '\n' ' '
    echo
  else
    failed=$((failed + 1))
    failures+=("$t")
    echo "!! $t failed; last lines of $build/$t.log:"
    tail -40 "$build/$t.log"
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ] || { echo "failing targets: ${failures[*]}"; exit 1; }
