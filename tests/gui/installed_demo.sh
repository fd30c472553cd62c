#!/usr/bin/env bash
# Installs the build into a fresh prefix and runs the demo from there without
# a display: it needs varnek-rigsim and varnek-cli installed beside varnek.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$prefix" \
  XDG_CONFIG_HOME="$prefix/config" "$prefix/bin/varnek" --demo 2>&1) || {
  echo "$out"
  exit 1
}
grep -q $'^03\t3.699.000\tLSB' <<<"$out" || {
  echo "the installed demo printed no table:"
  echo "$out"
  exit 1
}
