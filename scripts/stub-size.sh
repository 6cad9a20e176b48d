#!/usr/bin/env bash
# What takes the room in the stubs: both stubs' sizes and sections, shipped
# and as linked (before tavo-squeeze packs their code and data), then, per
# stub, what each module and source file costs and the biggest functions and
# data. The stubs are relinked unstripped (with a map) from the build trees of
# scripts/build.sh; the shipped files in dist/ are not touched.
#   bash scripts/stub-size.sh [number of top symbols, default 25]
# The stub is linked with link-time optimisation, which inlines across
# modules, so the modules and files are told apart in a second link of the
# same sources compiled without it (into build/<arch>/stub-size/objects;
# ccache makes later runs quick). That link is bigger than the real one, but
# its shares are the real one's. The top symbols are those of the real link,
# where a function's count includes what was inlined into it.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [ "${1:-}" = --objects ]; then shift; fi  # the per-file view is always shown now
top=${1:-25}

prefix_of() { [ "$1" = x86 ] && echo i686-w64-mingw32 || echo x86_64-w64-mingw32; }

# Hex field to number (mawk has no strtonum).
awk_hex='function hex(s,   i, n) { n = 0; s = tolower(s); sub(/^0x/, "", s)
  for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
  return n }'

# The input sections of an lld map, a line each: size, output section, file,
# input section. Map lines: address, size, alignment, then an output section
# name, an input "file:(section)", or a symbol.
map_inputs() {  # map file
  awk "$awk_hex"'
    NR == 1 { next }
    NF == 4 && $4 ~ /^\./ { out = $4; next }
    NF >= 4 && $3 > 0 && match($0, /[^ ]+:\([^)]*\)$/) {
      item = substr($0, RSTART, RLENGTH); size = hex($2)
      if (size == 0) next
      file = item; sub(/:\(.*$/, "", file)
      sect = item; sub(/^.*:\(/, "", sect); sub(/\)$/, "", sect)
      printf "%d\t%s\t%s\t%s\n", size, out, file, sect
    }' "$1"
}

# Sums map_inputs by module and by source file. lld names an archive member
# without its archive, so the members file maps them to modules.
module_totals() {  # map file, members file ("member module" lines)
  map_inputs "$1" | awk -F'\t' '
    FILENAME == ARGV[1] { split($0, w, " "); if (!(w[1] in owner)) owner[w[1]] = w[2]; next }
    function module(f) {
      if (f in owner) return owner[f]
      if (f ~ /\.res$/ || $2 == ".rsrc") return "resources"
      if (f ~ /libgcc/) return "libgcc"
      if (f ~ /^lib[a-z0-9_]+s[0-9]+\.o$|^lib[a-z0-9_]+_defs[0-9]+\.o$|__head_|^lib[a-z0-9_]+_a_iname/) return "imports"
      if (f ~ /boot_win32/) return "boot"
      if (f ~ /tavo-stub\.dir/) return "driver"
      return "other"
    }
    {
      m = module($3); kind = ($2 == ".text" || $2 == ".boot") ? "code" : "data"
      total[m] += $1; part[m, kind] += $1
      if (m !~ /^(imports|resources|other|libgcc)$/) {
        o = $3; sub(/\.cpp\.obj$/, "", o); sub(/.*\//, "", o)
        object[m "/" o] += $1
      }
    }
    END {
      for (m in total) printf "M %s %d %d %d\n", m, total[m], part[m, "code"], part[m, "data"]
      for (o in object) printf "O %s %d\n", o, object[o]
    }' "$2" -
}

sections() {  # exe prefix
  "$2-objdump" -h "$1" | awk "$awk_hex"'
    /^ +[0-9]+ / { printf "  %-10s %8d bytes in memory\n", $2, hex($3) }'
}

echo "== stubs: shipped (code and data packed), then as linked"
for exe in dist/tavo-stub-x86.exe dist/tavo-stub-x64.exe dist/linked/tavo-stub-x86.exe dist/linked/tavo-stub-x64.exe; do
  if [ ! -f "$exe" ]; then echo "$exe: missing (run scripts/build.sh)"; continue; fi
  stat -c %s "$exe" | awk -v f="$exe" '{ printf "%-31s %8d bytes (%.1f KiB)\n", f, $1, $1 / 1024 }'
  case $exe in *x86*) arch=x86 ;; *) arch=x64 ;; esac
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

  # The same sources without link-time optimisation, linked the same way.
  out=stub-size/objects
  ninja -C "$build" -t commands driver/tavo-stub.exe | grep -- ' -c .*\.cpp$' |
    sed -e 's/ -flto / -fno-lto /' -e "s# -o \([^ ]*\) # -o $out/\1 #" -e "s# -MF [^ ]* # #" -e "s# -MD -MT [^ ]* # #" \
    > "$work/compile"
  (cd "$build" && sed -n "s#.* -o $out/\([^ ]*\) .*#$out/\1#p" stub-size/compile | xargs -n1 dirname | sort -u | xargs mkdir -p &&
    xargs -P "$(nproc)" -I{} sh -c '{}' < stub-size/compile)
  plain=$link
  for lib in "$build"/*/libtavo_*.a; do
    rel=${lib#$build/}; dir=$(dirname "$rel")
    case " $link " in *" $rel "*) ;; *) continue ;; esac  # a module the stub does not link
    (cd "$build" && rm -f "$out/$rel" && "$tc-ar" rcs "$out/$rel" $(ls "$out/$dir/CMakeFiles/$(basename "$rel" .a | sed 's/^lib//').dir/"*.obj))
    plain=${plain// $rel / $out/$rel }
    m=$(basename "$rel" .a); "$tc-ar" t "$build/$out/$rel" | sed "s/\$/ ${m#libtavo_}/"
  done > "$work/members"
  for obj in entry_win32 runtime_win32 __/boot/boot_win32; do
    o=driver/CMakeFiles/tavo-stub.dir/$obj.cpp.obj
    plain=${plain// $o / $out/$o }
  done
  plain=$(printf '%s' "$plain" | sed -e 's#stub-size/stub\.#stub-size/plain.#g')
  (cd "$build" && eval "$plain -fno-lto")
  module_totals "$work/plain.map" "$work/members" > "$work/plain"

  echo
  echo "== $arch: by module, without link-time optimisation ($(stat -c %s "$work/plain.exe") bytes unstripped)"
  printf '  %-12s %8s %8s %8s\n' module total code data
  awk '$1 == "M" { printf "  %-12s %8d %8d %8d\n", $2, $3, $4, $5 }' "$work/plain" | sort -k2 -nr
  if [ "$top" -gt 0 ]; then
    echo "== $arch: without link-time optimisation, top $top source files"
    awk '$1 == "O" { printf "  %6d  %s\n", $3, $2 }' "$work/plain" | sort -nr | head -n "$top"
    echo "== $arch: top $top functions and data (with what was inlined into them)"
    map_inputs "$work/stub.map" | awk -F'\t' '$4 ~ /^\.(text|rdata|data|bss)\$/ {
        name = $4; sub(/^\.[a-z]+\$/, "", name)
        printf "  %6d  %-4s %s\n", $1, ($2 == ".text" ? "code" : "data"), name }' |
      sort -nr | head -n "$top" | sed -E 's/ (\x01)?_(_Z[^ @]*)@[0-9]+$/ \2/' | c++filt | cut -c1-120
  fi
done
