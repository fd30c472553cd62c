#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Varnek. Without arguments it
# starts the demonstration (a simulated rig with sample channels, settings of
# its own); with arguments they go to varnek (e.g. nothing but "--" starts it
# against your real rig: scripts/run.sh --). Only the programs are built;
# scripts/test.sh adds the tests in the same build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" -DVARNEK_TESTS=OFF
exe="${VARNEK_BUILD_DIR:-$root/build}/bin/varnek"
if [ $# -eq 0 ]; then
  exec "$exe" --demo
fi
[ "$1" = "--" ] && shift
exec "$exe" "$@"
