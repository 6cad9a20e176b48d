#!/usr/bin/env bash
# Runs the Windows test program of the platform services under wine64 in a
# prefix of its own, copied from the template prefix (scripts/wine-template.sh).
#   scripts/run-win-tests.sh TEMPLATE_DIR PREFIX_DIR TEST_EXE [gtest arguments...]
# The prefix is removed after a passing run and kept for inspection otherwise.
set -u
template=${1:?usage: run-win-tests.sh TEMPLATE_DIR PREFIX_DIR TEST_EXE [args...]}
prefix=${2:?}
exe=${3:?}
shift 3
wine=${TAVO_WINE64:-/usr/lib/wine/wine64}
server=${TAVO_WINESERVER:-/usr/lib/wine/wineserver}
root=$(cd "$(dirname "$0")/.." && pwd)

[ -f "$exe" ] || { echo "run-win-tests: $exe is missing (bash scripts/build.sh builds it)" >&2; exit 1; }
bash "$root/scripts/wine-template.sh" "$template" >/dev/null || exit 1

rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
cp -a "$template" "$prefix" || exit 1
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

"$wine" "$exe" "$@"
status=$?
"$server" -k 2>/dev/null
"$server" -w 2>/dev/null
if [ $status -eq 0 ]; then
  rm -rf "$prefix"
else
  echo "run-win-tests: prefix kept for inspection: $prefix" >&2
fi
exit $status
