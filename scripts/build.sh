#!/usr/bin/env bash
# Configures and builds Varnek in build/ (or in the folder given by
# VARNEK_BUILD_DIR). Extra arguments go to CMake's configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VARNEK_BUILD_DIR:-$root/build}
werror=OFF
[ -n "${CI:-}" ] && werror=ON
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${VARNEK_BUILD_TYPE:-RelWithDebInfo}" \
  -DVARNEK_WERROR=$werror "$@" >/dev/null
cmake --build "$build" -j"${VARNEK_JOBS:-$(nproc)}"
