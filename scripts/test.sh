#!/usr/bin/env bash
# The whole test run on a fresh machine: set-up, build, every test.
#   host unit tests, Windows programs under wine64 (end-to-end), a short
#   bounded fuzzing run of every fuzz target, and the stubs' sizes.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh

echo "== stub sizes"
for f in dist/tavo-stub-x86.exe dist/tavo-stub-x64.exe; do
  printf '%-26s %8d bytes\n' "$f" "$(stat -c %s "$f")"
done

echo "== fuzz targets (short bounded runs)"
bash scripts/fuzz.sh "${TAVO_FUZZ_SECONDS:-10}"

# The sanitizer tree doubles the host build (several minutes on 2 cores), so
# it runs on request: TAVO_ASAN_TESTS=1.
if [ "${TAVO_ASAN_TESTS:-0}" = 1 ]; then
  echo "== host unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
  bash scripts/asan-tests.sh
fi

echo "== tests"
cd build/host
ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)"
