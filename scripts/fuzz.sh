#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for the
# given number of seconds (default 10). Crashes fail the run.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-10}

if [ ! -f build/fuzz/build.ninja ]; then
  CXX=clang++ CC=clang cmake -S . -B build/fuzz -G Ninja -DTAVO_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build/fuzz -j "$(nproc 2>/dev/null || echo 2)"

shopt -s nullglob
for target in build/fuzz/tests/fuzz/fuzz-*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  seeds=tests/fuzz/seeds/${name#fuzz-}
  [ -d "$seeds" ] || seeds=
  echo "fuzz: $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=0 "$corpus" $seeds 2>build/fuzz/$name.log ||
    { tail -n 40 build/fuzz/$name.log; echo "fuzz: $name failed" >&2; exit 1; }
done
