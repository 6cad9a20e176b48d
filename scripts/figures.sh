#!/usr/bin/env bash
# Every performance figure of TAVO as one Markdown table on stdout (progress
# goes to stderr). Each figure is a ratio against a baseline measured in the
# same run, beside its goal:
#   - unpack throughput of the stub's unpacker against zlib's inflate, and
#     absolute (one core, CPU time), on a corpus of Windows DLLs and text;
#   - packed size at the default and maximum level against gzip -9 (xz -9
#     beside it), pack speed against zlib level 9;
#   - installing a tree of about 2,100 files and 210 MB with a builder-made
#     installer (x64 stub, automatic mode) under wine64 in a fresh prefix,
#     against Wine's xcopy of the same tree in the same prefix; the installer's
#     peak working set (the Wine process's maximum RSS) above Wine's floor (the
#     same for a program that only opens the installer's libraries and window)
#     against stored payload + unpacked size + 16 MiB;
#   - the size of both stubs (scripts/stub-size.sh breaks it down).
# Benchmarks only: nothing here runs in the test command. Builds Release trees
# (build/bench, build/x86, build/x64) and works in build/figures.
# Usage: bash scripts/figures.sh [rounds of the Wine runs, default 4]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
rounds=${1:-4}
work=$root/build/figures
wine=${TAVO_WINE64:-/usr/lib/wine/wine64}
server=${TAVO_WINESERVER:-/usr/lib/wine/wineserver}
. tests/bench/corpus.sh
. tests/bench/install_tree.sh

say() { echo "figures: $*" >&2; }
calc() { awk "BEGIN { printf \"$1\", ($2) }"; }    # format, expression
holds() { awk "BEGIN { exit !($1) }" && echo met || echo "**not met**"; }
get() { awk -v k="$1" '$1 == k { print $2 }' "$2"; }  # key, file of "key value" lines

# Beyond scripts/setup.sh: xz for the benchmark's comparison, GNU time for the
# installer's peak working set.
if [ ! -x /usr/bin/time ] || [ ! -f /usr/include/lzma.h ]; then
  echo "figures: needs GNU time and liblzma: apt-get install -y time liblzma-dev" >&2
  exit 1
fi

# --- Release builds of what is measured ---------------------------------------------------------
. scripts/configure.sh
say "building (Release)"
configure_tree build/bench
configure_tree build/x86 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
configure_tree build/x64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
{
  cmake --build build/x86 --target tavo-stub
  cmake --build build/x64 --target tavo-stub tavo-wine-floor
  cmake --build build/bench --target tavo-bench tavo-build tavo-stubs
} >&2
mkdir -p "$work"

# --- Packing and unpacking ------------------------------------------------------------------------
say "packing benchmark"
write_corpus_lists "$work/corpus"
build/bench/tests/bench/tavo-bench --raw "$work/pack.txt" dll="$work/corpus/dll" text="$work/corpus/text" >&2
p=$work/pack.txt

# --- Installation under Wine ----------------------------------------------------------------------
say "install tree and installer"
write_install_tree "$work/install"
tree_files=$(find "$work/install/tree" -type f | wc -l)
tree_bytes=$(find "$work/install/tree" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
(cd "$work/install" && "$root/dist/tavo-build" tavo.toml -o setup.exe --stub x64 >&2)
stored=$(dist/tavo-build inspect "$work/install/setup.exe" | awk '$1 == "data" && $3 == "bytes" { print $2 }')

say "wine prefix"
bash scripts/wine-template.sh "$work/wine-template" >&2
prefix=$work/prefix
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
stop_wine() { "$server" -k 2>/dev/null || true; }
trap stop_wine EXIT
stop_wine
rm -rf "$prefix"
cp -a "$work/wine-template" "$prefix"
bench=$prefix/drive_c/bench
mkdir -p "$bench"
cp "$work/install/setup.exe" "$bench/"
cp build/x64/tests/bench/wine_floor/tavo-wine-floor.exe "$bench/"
cp -r "$work/install/tree" "$bench/src"
# A running server and a warm Wine, so that neither run pays for the start.
"$server" -p
"$wine" cmd /c exit >/dev/null 2>&1 || true

same_tree() {  # dir: holds the tree, byte for byte, and nothing else
  [ "$(find "$1" -type f | wc -l)" = "$tree_files" ] && diff -rq "$work/install/tree" "$1" >/dev/null
}
# Each run: wall seconds and maximum RSS (KiB) into $work/<name>.time; best of the rounds kept.
# Every run writes a new folder and the old ones go only at the end: ext4
# searches longer for free inodes right after a deletion, which would weigh
# on whichever run follows it. The two runs take turns at going first.
install_run() {  # round
  say "round $1 of $rounds: installer"
  sync
  # The stub's exit code is always 1; success is the installed tree.
  /usr/bin/time -f "%e %M" -o "$work/install.time" \
    "$wine" 'C:\bench\setup.exe' /a "/d:C:\\bench\\installed$1" >/dev/null 2>&1 || true
  same_tree "$bench/installed$1" || { say "the installer did not install the whole tree"; exit 1; }
  # The last line: time puts "Command exited with non-zero status 1" before it.
  read -r t m < <(tail -n 1 "$work/install.time")
  best_install=$(calc %s "$t < $best_install ? $t : $best_install")
  peak=$(calc %s "$m > $peak ? $m : $peak")
}
copy_run() {  # round
  say "round $1 of $rounds: xcopy"
  sync
  /usr/bin/time -f "%e %M" -o "$work/copy.time" \
    "$wine" xcopy 'C:\bench\src' "C:\\bench\\copied$1" /E /I /Q /Y >/dev/null 2>&1 || true
  same_tree "$bench/copied$1" || { say "xcopy did not copy the whole tree"; exit 1; }
  read -r t m < <(tail -n 1 "$work/copy.time")
  best_copy=$(calc %s "$t < $best_copy ? $t : $best_copy")
}
best_install=1e9 best_copy=1e9 peak=0 floor=1e9
for round in $(seq "$rounds"); do
  if [ $((round % 2)) = 1 ]; then install_run "$round"; copy_run "$round"
  else copy_run "$round"; install_run "$round"; fi
  # Wine's floor: what a program with the installer's libraries and window,
  # doing nothing else, holds under Wine (a one-file installation holds about
  # 4 MiB more). The lowest of the rounds, so that the installer is not flattered.
  /usr/bin/time -f "%e %M" -o "$work/floor.time" "$wine" 'C:\bench\tavo-wine-floor.exe' >/dev/null 2>&1 || true
  read -r t m < <(tail -n 1 "$work/floor.time")
  floor=$(calc %s "$m < $floor ? $m : $floor")
done
stop_wine
trap - EXIT
rm -rf "$bench"/installed* "$bench"/copied*

# --- The table ------------------------------------------------------------------------------------
row() { printf '| %s | %s | %s | %s | %s | %s |\n' "$@"; }
corpus_mb=$(calc %.1f "$(get bytes $p) / 1e6")
unpack=$(get unpack_mbs $p) inflate=$(get inflate_mbs $p) memcpy=$(get memcpy_mbs $p)
packed=$(get packed $p) packed_max=$(get packed_max $p) gzip9=$(get gzip9 $p) xz9=$(get xz9 $p)
pack=$(get pack_mbs $p) pack_max=$(get pack_max_mbs $p) gzip_speed=$(get gzip9_mbs $p)
level=$(get default_level $p) max_level=$(get max_level $p)
tree_mb=$(calc %.1f "$tree_bytes / 1e6")
x86=$(stat -c %s dist/tavo-stub-x86.exe) x64=$(stat -c %s dist/tavo-stub-x64.exe)
x86_linked=$(stat -c %s dist/linked/tavo-stub-x86.exe)
bound=$((stored + tree_bytes + 16 * 1048576))
peak_bytes=$((peak * 1024))
floor_bytes=$((floor * 1024))
above_floor=$((peak_bytes - floor_bytes))

echo
echo "TAVO performance figures, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(uname -m)."
echo "Corpus: $(get files $p) Windows DLLs and texts, $corpus_mb MB, packed as one block;" \
  "speeds are CPU time of one core."
echo "Installation: $tree_files files, $tree_mb MB, x64 stub, /a, wine64 in a fresh prefix;" \
  "best of $rounds rounds (wall time)."
echo
row "Figure" "Measured" "Baseline (same run)" "Ratio" "Goal" "Goal met"
row "---" "---:" "---:" "---:" "---" "---"
row "Unpack throughput" "$(calc %.0f $unpack) MB/s" "inflate $(calc %.0f $inflate) MB/s" \
  "$(calc %.2f "$unpack / $inflate")x" ">= 2x inflate" "$(holds "$unpack >= 2 * $inflate")"
row "Unpack throughput, absolute" "$(calc %.0f $unpack) MB/s" "memcpy $(calc %.0f $memcpy) MB/s" \
  "$(calc %.3f "$unpack / $memcpy")x" ">= 1000 MB/s" "$(holds "$unpack >= 1000")"
row "Packed size, level $level (default)" "$packed B" "gzip -9 $gzip9 B" \
  "$(calc %.3f "$packed / $gzip9")x" "<= 1x gzip -9" "$(holds "$packed <= $gzip9")"
row "Packed size, level $max_level (maximum)" "$packed_max B" "gzip -9 $gzip9 B" \
  "$(calc %.3f "$packed_max / $gzip9")x" "-" "-"
row "xz -9, for comparison" "$xz9 B" "gzip -9 $gzip9 B" "$(calc %.3f "$xz9 / $gzip9")x" "-" "-"
row "Pack speed, level $level (default)" "$(calc %.1f $pack) MB/s" "gzip -9 $(calc %.1f $gzip_speed) MB/s" \
  "$(calc %.2f "$pack / $gzip_speed")x" ">= 10 MB/s" "$(holds "$pack >= 10")"
row "Pack speed, level $max_level (maximum)" "$(calc %.2f $pack_max) MB/s" \
  "gzip -9 $(calc %.1f $gzip_speed) MB/s" "$(calc %.2f "$pack_max / $gzip_speed")x" "slower allowed" "-"
rate() {  # seconds: the tree's rate
  echo "$1 s: $(calc %.0f "$tree_files / $1") files/s, $(calc %.1f "$tree_bytes / 1e6 / $1") MB/s"
}
mib() { calc %.1f "$1 / 1048576"; }
row "Installation under Wine" "$(rate $best_install)" "xcopy $(rate $best_copy)" \
  "$(calc %.2f "$best_install / $best_copy")x" "<= 1.5x xcopy" "$(holds "$best_install <= 1.5 * $best_copy")"
row "Peak working set of the installation, above Wine's floor" \
  "$(mib $above_floor) MiB = $(mib $peak_bytes) - floor $(mib $floor_bytes)" \
  "$(mib $bound) MiB = stored $(mib $stored) + unpacked $(mib $tree_bytes) + 16" \
  "$(calc %.2f "$above_floor / $bound")x" "<= 1x bound" "$(holds "$above_floor <= $bound")"
row "Peak working set, whole Wine process" "$(mib $peak_bytes) MiB" "$(mib $bound) MiB (as above)" \
  "$(calc %.2f "$peak_bytes / $bound")x" "-" "-"
row "Stub size, x86" "$x86 B" "64 KiB = 65536 B" "$(calc %.2f "$x86 / 65536")x" "<= 64 KiB" \
  "$(holds "$x86 <= 65536")"
row "Stub size, x64" "$x64 B" "64 KiB = 65536 B" "$(calc %.2f "$x64 / 65536")x" "-" "-"
row "Stub size, x86, as linked (before packing)" "$x86_linked B" "64 KiB = 65536 B" \
  "$(calc %.2f "$x86_linked / 65536")x" "-" "-"

# What takes the room in the x86 stub, by module (scripts/stub-size.sh tells more).
echo
echo "What takes the room in the x86 stub (bytes in memory, by module, from a link without link-time"
echo "optimisation, which is bigger but shares the room alike; headers and relocations aside):"
echo
echo "| Module | Total | Code | Data |"
echo "| --- | ---: | ---: | ---: |"
bash scripts/stub-size.sh 0 2>/dev/null | awk '
  /^== x86: by module/ { on = 1; getline; next }
  /^==/ { on = 0 }
  on && NF == 4 { printf "| %s | %s | %s | %s |\n", $1, $2, $3, $4 }'
