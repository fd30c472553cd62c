#!/usr/bin/env bash
# Builds the benchmarks (build-bench/, Release) and prints every figure as
# one table: name, value, unit, target. The raw rows are also kept in
# build-bench/bench-results.tsv (or $VARNEK_BENCH_OUT).
#   scripts/bench.sh                  all figures
#   scripts/bench.sh paced            only the answer-paced table (some 25 minutes)
#   scripts/bench.sh compare A B      two results files side by side, by name
# VARNEK_BENCH_SCALE (default 0.25) multiplies every family's default
# intervals in the run figures: 1 is what a reset of the rig's settings
# sets, and takes about four times as long (some 40 minutes).
# The answer-paced table always runs at the default intervals. Its classic
# runs move every 2nd channel (CI-V: every 4th), scaled to the whole bank;
# VARNEK_BENCH_CLASSIC_STRIDE=1 moves them all (over an hour).
# VARNEK_BENCH_BEFORE=COMMIT also builds that commit's core with the same
# classic cases (in a worktree under /tmp) and adds how far each classic
# figure moved since then.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = compare ]; then
  [ $# -eq 3 ] || { echo "usage: scripts/bench.sh compare A.tsv B.tsv" >&2; exit 2; }
  {
    printf 'name\t%s\t%s\tunit\ttarget\n' "$(basename "$2")" "$(basename "$3")"
    awk -F'\t' 'NR == FNR { a[$1] = $2; next }
                { printf "%s\t%s\t%s\t%s\t%s\n", $1, ($1 in a ? a[$1] : "-"), $2, $3, $4 }' "$2" "$3"
  } | column -t -s $'\t'
  exit 0
fi

build=${VARNEK_BENCH_BUILD_DIR:-$root/build-bench}
out=${VARNEK_BENCH_OUT:-$build/bench-results.tsv}
scale=${VARNEK_BENCH_SCALE:-0.25}
classic=${VARNEK_BENCH_CLASSIC_STRIDE:-0}
only=${1:-all}
"$root/scripts/setup.sh" test
mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVARNEK_BENCH=ON -DVARNEK_TESTS=OFF \
  >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc)" --target bench

# The paced table's classic cases against an older core: the benchmark's
# own source goes into a worktree of that commit and is built there without
# its answer-paced parts.
before_rows() {
  local commit=$1 tree
  tree=$(mktemp -d /tmp/varnek-before-XXXXXX)
  git -C "$root" worktree add --detach "$tree" "$commit" >"$build/before.log" 2>&1
  cp "$root/bench/paced_bench.cpp" "$root/bench/paced_bench.h" "$root/bench/bench_support.h" \
    "$tree/bench/"
  cat >"$tree/bench/paced_main.cpp" <<'MAIN'
#include <cstdlib>

#include "paced_bench.h"

int main(int argc, char** argv) {
  return varnek::bench::Paced(argc > 1 ? std::atoi(argv[1]) : 0, argc > 2 ? argv[2] : "");
}
MAIN
  cat >>"$tree/bench/CMakeLists.txt" <<'TARGET'
add_executable(varnek-bench-classic paced_main.cpp paced_bench.cpp)
target_link_libraries(varnek-bench-classic PRIVATE varnek_core varnek_sim)
target_include_directories(varnek-bench-classic PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(varnek-bench-classic PRIVATE VARNEK_BENCH_CLASSIC_ONLY)
TARGET
  cmake -S "$tree" -B "$tree/build" -DCMAKE_BUILD_TYPE=Release -DVARNEK_BENCH=ON \
    -DVARNEK_TESTS=OFF -DVARNEK_GUI=OFF >>"$build/before.log" 2>&1
  cmake --build "$tree/build" -j"$(nproc)" --target varnek-bench-classic >>"$build/before.log" 2>&1
  "$tree/build/bench/varnek-bench-classic" "$classic" >"$build/before-results.tsv" 2>>"$log"
  git -C "$root" worktree remove --force "$tree"
}

# The programs' own serial notices go to the log, the figures to the table.
log=$build/bench.log
: >"$log"
: >"$out"
if [ "$only" = all ]; then
  "$build/bench/varnek-bench" memory >>"$out" 2>>"$log"
  "$build/bench/varnek-bench" log 1200 >>"$out" 2>>"$log"
  "$build/bench/varnek-bench" idle 10 >>"$out" 2>>"$log"
  if [ -x "$build/bench/varnek-bench-window" ]; then
    QT_QPA_PLATFORM=offscreen "$build/bench/varnek-bench-window" >>"$out" 2>>"$log"
  fi
  echo "# run figures at ${scale} x the default intervals" >>"$log"
  "$build/bench/varnek-bench" runs "$scale" >>"$out" 2>>"$log"
fi
"$build/bench/varnek-bench" paced "$classic" >>"$out" 2>>"$log"
if [ -n "${VARNEK_BENCH_BEFORE:-}" ]; then
  before_rows "$VARNEK_BENCH_BEFORE"
  # Each classic figure against the same case before: the change in percent.
  awk -F'\t' -v commit="$VARNEK_BENCH_BEFORE" '
    NR == FNR { if ($1 ~ /\.classic$/) was[$1] = $2; next }
    $1 ~ /\.classic$/ && ($1 in was) && was[$1] > 0 {
      printf "%s_vs_%s\t%+.2f\t%%\twithin 3\n", $1, commit, ($2 / was[$1] - 1) * 100 }
  ' "$build/before-results.tsv" "$out" >>"$out"
fi

{
  printf 'name\tvalue\tunit\ttarget\n'
  cat "$out"
} | column -t -s $'\t'
echo "(rows kept in $out; run figures at ${scale} x the default intervals)"
