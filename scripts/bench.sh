#!/usr/bin/env bash
# Builds the benchmarks (build-bench/, Release) and prints every figure as
# one table: name, value, unit, target. The raw rows are also kept in
# build-bench/bench-results.tsv (or $VARNEK_BENCH_OUT).
#   scripts/bench.sh                  all figures
#   scripts/bench.sh compare A B      two results files side by side, by name
# VARNEK_BENCH_SCALE (default 0.25) multiplies every family's default
# intervals in the run figures: 1 is what a reset of the rig's settings
# sets, and takes about four times as long (some 40 minutes).
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
"$root/scripts/setup.sh"
mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVARNEK_BENCH=ON -DVARNEK_TESTS=OFF \
  >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc)" --target bench

# The programs' own serial notices go to the log, the figures to the table.
log=$build/bench.log
: >"$log"
: >"$out"
"$build/bench/varnek-bench" memory >>"$out" 2>>"$log"
"$build/bench/varnek-bench" idle 10 >>"$out" 2>>"$log"
if [ -x "$build/bench/varnek-bench-window" ]; then
  QT_QPA_PLATFORM=offscreen "$build/bench/varnek-bench-window" >>"$out" 2>>"$log"
fi
echo "# run figures at ${scale} x the default intervals" >>"$log"
"$build/bench/varnek-bench" runs "$scale" >>"$out" 2>>"$log"

{
  printf 'name\tvalue\tunit\ttarget\n'
  cat "$out"
} | column -t -s $'\t'
echo "(rows kept in $out; run figures at ${scale} x the default intervals)"
