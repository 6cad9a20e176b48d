#!/usr/bin/env bash
# What takes the room in the stubs: both stubs' sizes and sections, then, per
# stub, the code and data by module and the biggest symbols. The stubs are
# relinked unstripped (with a map) from the build trees of scripts/build.sh;
# the shipped files in dist/ are not touched.
#   bash scripts/stub-size.sh [--objects] [number of top symbols, default 25]
# Symbols are attributed to the module (static library) that defines them;
# what is local to one file (static, anonymous namespace, or made local by the
# link-time optimiser) has no module then and is counted as "file-local". Inlined code counts
# where it was inlined.
# --objects adds what each module and source file costs in a link without
# link-time optimisation (the same sources compiled again, once, into
# build/<arch>/stub-size/objects; ccache makes later runs quick). That link is
# bigger than the real one, but tells the files apart.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
objects=
if [ "${1:-}" = --objects ]; then objects=1; shift; fi
top=${1:-25}

prefix_of() { [ "$1" = x86 ] && echo i686-w64-mingw32 || echo x86_64-w64-mingw32; }

# Hex field to number (mawk has no strtonum).
awk_hex='function hex(s,   i, n) { n = 0; s = tolower(s); sub(/^0x/, "", s)
  for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
  return n }'

# Sums a GNU ld map by module and by object (input sections of non-zero size).
map_totals() {  # map file
  awk "$awk_hex"'
    function module(f) {
      if (f ~ /dialogs\.rc/) return "resources"
      if (f ~ /libgcc\.a/) return "libgcc"
      if (f ~ /lib(msvcrt|kernel32|user32|gdi32|shell32|ole32|oleaut32|advapi32|comctl32)\.a/) return "imports"
      if (f ~ /tavo-stub\.dir/) return "driver"
      if (match(f, /libtavo_[a-z]+\.a/)) return substr(f, RSTART + 8, RLENGTH - 10)
      return "other"
    }
    function add(section, file, size,   m, o) {
      if (size == 0) return
      m = module(file); o = file; sub(/.*[(\/]/, "", o); sub(/[)]$/, "", o); sub(/\.(cpp\.)?obj$/, "", o)
      kind = section ~ /^\.text/ ? "code" : "data"
      total[m] += size; part[m, kind] += size
      if (m !~ /^(imports|resources|other)$/) object[m "/" o] += size
    }
    /^Linker script and memory map/ { on = 1; next }
    !on || /^ \*fill\*/ { next }
    /^ [^ *]/ && NF >= 4 && $2 ~ /^0x/ && $3 ~ /^0x/ { add($1, $4, hex($3)); pending = ""; next }
    /^ [^ *]/ && NF == 1 { pending = $1; next }
    pending != "" && /^ +0x/ && NF >= 3 { add(pending, $3, hex($2)); pending = ""; next }
    { pending = "" }
    END {
      for (m in total) printf "M %s %d %d %d\n", m, total[m], part[m, "code"], part[m, "data"]
      for (o in object) printf "O %s %d\n", o, object[o]
    }' "$1"
}

sections() {  # exe prefix
  "$2-objdump" -h "$1" | awk "$awk_hex"'
    /^ +[0-9]+ / { printf "  %-10s %8d bytes in memory\n", $2, hex($3) }'
}

echo "== stubs"
for arch in x86 x64; do
  exe=dist/tavo-stub-$arch.exe
  if [ ! -f "$exe" ]; then echo "$exe: missing (run scripts/build.sh)"; continue; fi
  stat -c %s "$exe" | awk -v f="$exe" '{ printf "%-24s %8d bytes (%.1f KiB)\n", f, $1, $1 / 1024 }'
  sections "$exe" "$(prefix_of $arch)"
done

for arch in x86 x64; do
  tc=$(prefix_of $arch)
  build=build/$arch
  [ -f "$build/build.ninja" ] || continue
  cmake --build "$build" --target tavo-stub >/dev/null
  work=$build/stub-size
  mkdir -p "$work"

  # The stub's own link line, unstripped and with a map.
  link=$(ninja -C "$build" -t commands driver/tavo-stub.exe | tail -n 1)
  link=${link#: && }
  link=${link%% && cd *}
  link=$(printf '%s' "$link" | sed -e 's/ -s / /' \
    -e "s# -o driver/tavo-stub.exe # -o stub-size/stub.exe -Wl,-Map,stub-size/stub.map #")
  (cd "$build" && eval "$link")

  # Which module defines each global symbol.
  for lib in "$build"/*/libtavo_*.a "$build"/driver/CMakeFiles/tavo-stub.dir/*.obj; do
    module=$(basename "$lib" .a); module=${module#libtavo_}
    case $lib in *.obj) module=driver ;; esac
    "$tc-gcc-nm" --defined-only "$lib" 2>/dev/null | awk -v m="$module" 'NF == 3 && $3 !~ /^\./ { print $3, m }'
  done | sort -u > "$work/index"
  # What the run-time libraries brought (from the map).
  awk '/^Linker script and memory map/ { on = 1 } on && /^ +0x[0-9a-f]+ +[^ ]+$/ && lib { print $2, lib; print "_" $2, lib }
       on { lib = "" } on && /lib(gcc|msvcrt)\.a\(/ { lib = ($0 ~ /libgcc/) ? "libgcc" : "msvcrt" }' \
    "$work/stub.map" | sort -u >> "$work/index"

  "$tc-nm" -S --size-sort "$work/stub.exe" | awk "$awk_hex"'
    FILENAME == ARGV[1] { module[$1] = $2; next }
    $3 ~ /^[tTrRdDbB]$/ {
      size = hex($2); raw = $4; base = raw
      while (base ~ /\.(lto_priv|part|isra|constprop|cold)\.[0-9]+$/) sub(/\.[a-z_]+\.[0-9]+$/, "", base)
      m = module[base]
      if (m == "") m = (raw ~ /^\.rdata/) ? "literals" : (raw ~ /^\.rsrc/) ? "resources" : ($3 ~ /^[trdb]$/ ? "file-local" : "other")
      printf "%d\t%s\t%s\t%s\n", size, m, ($3 ~ /[tT]/) ? "code" : "data", raw
    }' "$work/index" - | "$tc-c++filt" > "$work/attributed"
  awk -F'\t' '{ total[$2] += $1; part[$2, $3] += $1 }
    END { for (m in total) printf "  %-12s %8d %8d %8d\n", m, total[m], part[m, "code"], part[m, "data"] }' \
    "$work/attributed" | sort -k2 -nr > "$work/modules"

  echo
  echo "== $arch: by module (named symbols; literals = unnamed constant data)"
  printf '  %-12s %8s %8s %8s\n' module total code data
  cat "$work/modules"
  if [ -n "$objects" ]; then
    # The same build without link-time optimisation, for the per-file view.
    out=stub-size/objects
    ninja -C "$build" -t commands driver/tavo-stub.exe | grep -- ' -c .*\.cpp$' |
      sed -e 's/ -flto / -fno-lto /' -e "s# -o \([^ ]*\) # -o $out/\1 #" -e "s# -MF [^ ]* # #" -e "s# -MD -MT [^ ]* # #" \
      > "$work/compile"
    (cd "$build" && sed -n "s#.* -o $out/\([^ ]*\) .*#$out/\1#p" stub-size/compile | xargs -n1 dirname | sort -u | xargs mkdir -p &&
      xargs -P "$(nproc)" -I{} sh -c '{}' < stub-size/compile)
    plain=$link
    for lib in "$build"/*/libtavo_*.a; do
      rel=${lib#$build/}; dir=$(dirname "$rel")
      (cd "$build" && rm -f "$out/$rel" && "$tc-ar" rcs "$out/$rel" $(ls "$out/$dir/CMakeFiles/$(basename "$rel" .a | sed 's/^lib//').dir/"*.obj))
      plain=${plain// $rel / $out/$rel }
    done
    plain=${plain// driver\/CMakeFiles\/tavo-stub.dir\/entry_win32.cpp.obj / $out/driver/CMakeFiles/tavo-stub.dir/entry_win32.cpp.obj }
    plain=$(printf '%s' "$plain" | sed -e 's#stub-size/stub\.#stub-size/plain.#g')
    (cd "$build" && eval "$plain -fno-lto")
    map_totals "$work/plain.map" > "$work/plain"
    echo "== $arch: without link-time optimisation ($(stat -c %s "$work/plain.exe") bytes unstripped), by module"
    printf '  %-12s %8s %8s %8s\n' module total code data
    awk '$1 == "M" { printf "  %-12s %8d %8d %8d\n", $2, $3, $4, $5 }' "$work/plain" | sort -k2 -nr
    echo "== $arch: without link-time optimisation, top $top source files"
    awk '$1 == "O" { printf "  %6d  %s\n", $3, $2 }' "$work/plain" | sort -nr | head -n "$top"
  fi
  echo "== $arch: top $top symbols"
  sort -t"$(printf '\t')" -k1,1 -nr "$work/attributed" | head -n "$top" |
    awk -F'\t' '{ printf "  %6d  %-10s %-4s %s\n", $1, $2, $3, substr($4, 1, 100) }'
done
