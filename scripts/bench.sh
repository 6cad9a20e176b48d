#!/usr/bin/env bash
# Packed blocks against zlib: packed size against gzip -9 (zlib level 9 with
# gzip framing) and unpack speed against inflate and memcpy, on Windows DLLs
# (Wine's and mingw-w64's) and text. Not part of the test run; builds its own
# Release tree in build/bench. Usage: bash scripts/bench.sh [MB of DLLs, default 24]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
dll_mb=${1:-24}

if [ ! -f build/bench/build.ninja ]; then
  cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build/bench --target tavo-bench

lists=build/bench/corpus
mkdir -p "$lists"
# A fixed choice, so that runs compare: the files in name order up to a total.
take() {  # max_bytes, then paths
  local max=$1 total=0 f size; shift
  for f in "$@"; do
    [ -f "$f" ] || continue
    size=$(stat -c %s "$f")
    [ $((total + size)) -le "$max" ] || continue
    total=$((total + size))
    echo "$f"
  done
}
shopt -s nullglob
take $((dll_mb * 1000000)) /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/*.dll \
  /usr/x86_64-w64-mingw32/lib/*.dll /usr/lib/gcc/x86_64-w64-mingw32/*-win32/*.dll >"$lists/dll"
take 6000000 /usr/share/common-licenses/* /usr/share/doc/*/copyright >"$lists/text"
[ -s "$lists/dll" ] || { echo "bench: no Windows DLLs found (install wine64 or mingw-w64)" >&2; exit 1; }

build/bench/tests/bench/tavo-bench dll="$lists/dll" text="$lists/text"
