#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Varnek. Arguments go to varnek.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
exe="${VARNEK_BUILD_DIR:-$root/build}/src/gui/varnek"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Varnek is built, but this session has no graphical display to show its window."
  echo "Run it on a desktop, or under a virtual display:"
  echo "  xvfb-run -a $exe"
  exit 1
fi
exec "$exe" "$@"
