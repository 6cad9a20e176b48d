#!/usr/bin/env bash
# The host unit tests built with AddressSanitizer and UndefinedBehaviorSanitizer
# in a tree of their own (build/asan); any report fails the run.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# The stub modules are built without RTTI, which the vptr check needs.
sanitize="-fsanitize=address,undefined -fno-sanitize=vptr -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
if [ ! -f build/asan/build.ninja ]; then
  cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_FLAGS="$sanitize" -DCMAKE_CXX_FLAGS="$sanitize -O1" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
fi
cmake --build build/asan -j "$(nproc 2>/dev/null || echo 2)" --target tavo-unit-tests

# The builder tests read the finished stubs in dist/ (scripts/build.sh).
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
build/asan/tests/tavo-unit-tests --gtest_brief=1
