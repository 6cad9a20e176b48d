#!/usr/bin/env bash
# Installs whatever the build and the tests need and is missing. Safe to run
# again: it only calls apt-get when a package is absent.
set -u

packages=(
  cmake ninja-build g++ clang make
  lld llvm           # the stub: clang links it with link-time optimisation
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libtomlplusplus-dev libcli11-dev zlib1g-dev gzip
  mingw-w64-tools    # widl: the type library of the end-to-end tests
  fonts-dejavu-core  # the font the example product ships
  liblzma-dev        # tavo-squeeze packs the stubs; the figures show xz -9 beside the packer
  time               # the figures: the peak memory
)
# wine64 goes in separately, without recommends (they pull in 32-bit parts).
wine_packages=(wine64)

missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

need=($(missing "${packages[@]}"))
need_wine=($(missing "${wine_packages[@]}"))
if [ ${#need[@]} -eq 0 ] && [ ${#need_wine[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
echo "setup: installing ${need[*]} ${need_wine[*]}"
# An index that cannot be fetched is not a reason to stop: the packages we
# need usually come from the others.
$sudo apt-get update -q || echo "setup: apt-get update reported an error; going on"
if [ ${#need[@]} -gt 0 ]; then
  $sudo apt-get install -y -q "${need[@]}" || { echo "setup: apt-get install failed" >&2; exit 1; }
fi
if [ ${#need_wine[@]} -gt 0 ]; then
  $sudo apt-get install -y -q --no-install-recommends "${need_wine[@]}" ||
    { echo "setup: apt-get install of wine64 failed" >&2; exit 1; }
fi
