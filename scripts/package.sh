#!/usr/bin/env bash
# Builds the Debian package build/varnek_<version>_<arch>.deb from the normal
# build folder: the programs, their manual pages and icons, then CPack. A
# folder built before is used as it is (no second compile); a new one gets
# the programs only, not the tests.
#   scripts/package.sh            make the package and print its path
#   scripts/package.sh --check    then install it, try the installed programs
#                                 (versions, the demo, man, completion), check
#                                 the menu entry, the metainfo and lintian,
#                                 and remove it again (CI; root or sudo)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VARNEK_BUILD_DIR:-$root/build}
check=${1:-}
case "$check" in
  "" | --check) ;;
  *) echo "usage: scripts/package.sh [--check]" >&2; exit 2 ;;
esac

if [ "$check" = --check ]; then
  "$root/scripts/setup.sh" package check
else
  "$root/scripts/setup.sh" package
fi
# The changelog's and the manual pages' date: the last commit's, so the same
# sources make the same package.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git -C "$root" rev-parse HEAD >/dev/null 2>&1; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
  export SOURCE_DATE_EPOCH
fi
fresh=()
[ -f "$build/CMakeCache.txt" ] || fresh=(-DVARNEK_TESTS=OFF)
VARNEK_BUILD_DIR=$build "$root/scripts/build.sh" "${fresh[@]}" -DVARNEK_PACKAGE_FILES=ON
rm -f "$build"/varnek_*.deb
(cd "$build" && cpack -G DEB) >"$build/cpack.log" 2>&1 || { cat "$build/cpack.log"; exit 1; }
debs=("$build"/varnek_*.deb)
deb=${debs[0]}
echo "$deb"
[ "$check" = --check ] || exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
fail() {
  echo "package check: $*" >&2
  exit 1
}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
if dpkg-query -W -f='${Status}' varnek 2>/dev/null | grep -q "install ok installed"; then
  fail "varnek is installed already; remove it first (apt remove varnek)"
fi
home=$(mktemp -d)
# Whatever fails, the machine is left without the package.
trap '$sudo apt-get remove -y -q varnek >/dev/null 2>&1 || true; rm -rf "$home"' EXIT

echo "== install $(basename "$deb")"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "$deb"
for program in varnek varnek-cli varnek-rigsim; do
  [ "$(command -v $program)" = /usr/bin/$program ] || fail "$program is not /usr/bin/$program"
  got=$(/usr/bin/$program --version)
  [ "$got" = "$program $version" ] || fail "$program --version says '$got', not '$program $version'"
  man -w $program >/dev/null || fail "no manual page for $program"
done
echo "versions and manual pages: $version"

echo "== the demo from the installed programs, without a display"
demo=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$home" \
  timeout 300 /usr/bin/varnek --demo) || fail "varnek --demo ended with status $?"
read_channels=$(grep -c -P '^\d\d\t\d' <<<"$demo" || true)
[ "$read_channels" -ge 20 ] || fail "the demo printed $read_channels channels: $demo"
echo "the demo read $read_channels channels"

echo "== completion, menu entry, metainfo, lintian"
completion=/usr/share/bash-completion/completions/varnek-cli
# shellcheck disable=SC2016
bash -c '. "$1"; COMP_WORDS=(varnek-cli --rig Kenwood); COMP_CWORD=2; _varnek_cli
         [ "${COMPREPLY[0]}" = "Kenwood TS-570" ]' _ "$completion" ||
  fail "$completion does not complete --rig Kenwood"
desktop-file-validate /usr/share/applications/io.github.kolvir.varnek.desktop
appstreamcli validate --no-net /usr/share/metainfo/io.github.kolvir.varnek.metainfo.xml
for size in 16 48 256; do
  [ -f /usr/share/icons/hicolor/${size}x${size}/apps/varnek.png ] || fail "no ${size}px icon"
done
# Errors fail the check; warnings are listed (docs: README, "Installing").
lintian --fail-on error "$deb"

echo "== remove"
$sudo apt-get remove -y -q varnek
[ ! -e /usr/bin/varnek-cli ] || fail "apt remove left /usr/bin/varnek-cli"
trap 'rm -rf "$home"' EXIT
echo "package check passed: $deb"
