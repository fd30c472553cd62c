#!/usr/bin/env bash
# Installs the Debian packages Varnek needs, if any is missing. Runs as root
# or through sudo; does nothing when everything is there already.
#   scripts/setup.sh                 what the programs need (deps.txt)
#   scripts/setup.sh test package    and what the tests, the package need
#                                    (deps-test.txt, deps-package.txt; the
#                                    package's checks: deps-check.txt)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=("$here/deps.txt")
for extra in "$@"; do
  [ -f "$here/deps-$extra.txt" ] || { echo "setup.sh: no list deps-$extra.txt" >&2; exit 2; }
  lists+=("$here/deps-$extra.txt")
done
mapfile -t wanted < <(cat "${lists[@]}" | grep -v -E '^\s*(#|$)')
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
