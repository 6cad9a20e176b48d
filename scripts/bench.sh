#!/usr/bin/env bash
# Packed blocks against zlib and xz: packed size against gzip -9 and xz -9,
# pack speed, and unpack speed against inflate and memcpy, on Windows DLLs
# (Wine's and mingw-w64's) and text. Not part of the test run; builds its own
# Release tree in build/bench. scripts/figures.sh prints these with the other
# figures. Usage: bash scripts/bench.sh [MB of DLLs, default 24]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. tests/bench/corpus.sh

if [ ! -f build/bench/build.ninja ]; then
  cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build/bench --target tavo-bench

write_corpus_lists build/bench/corpus "${1:-24}"
build/bench/tests/bench/tavo-bench dll=build/bench/corpus/dll text=build/bench/corpus/text
