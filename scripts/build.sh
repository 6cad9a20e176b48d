#!/usr/bin/env bash
# Builds everything: the stub for i686 and x86_64 (with the Windows test tools)
# and the host tree (pure modules, unit tests, host tools, end-to-end tests).
# Artifacts land in dist/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc 2>/dev/null || echo 2)

. scripts/configure.sh

configure_tree build/x86 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
configure_tree build/x64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
configure_tree build/host
cmake --build build/x86 -j "$jobs"
cmake --build build/x64 -j "$jobs"
# The Windows test program of the platform services: its own tree, because
# GoogleTest needs the POSIX-thread compilers (tests/win/CMakeLists.txt).
if [ ! -f build/wintest/build.ninja ]; then
  cmake -S tests/win -B build/wintest -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64-posix.cmake" >/dev/null
fi
cmake --build build/wintest -j "$jobs"
cmake --build build/host -j "$jobs"
