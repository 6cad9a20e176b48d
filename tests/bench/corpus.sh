# Sourced by scripts/bench.sh and scripts/figures.sh: the packing corpus, a
# fixed choice of Windows binaries (Wine's and mingw-w64's DLLs) and text
# found on this machine, so that runs compare.
#   write_corpus_lists DIR [MB of DLLs, default 24]  ->  DIR/dll, DIR/text

# The files in name order up to a total.
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

write_corpus_lists() {
  local dir=$1 dll_mb=${2:-24}
  mkdir -p "$dir"
  shopt -s nullglob
  take $((dll_mb * 1000000)) /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/*.dll \
    /usr/x86_64-w64-mingw32/lib/*.dll /usr/lib/gcc/x86_64-w64-mingw32/*-win32/*.dll >"$dir/dll"
  take 6000000 /usr/share/common-licenses/* /usr/share/doc/*/copyright >"$dir/text"
  shopt -u nullglob
  if [ ! -s "$dir/dll" ]; then
    echo "no Windows DLLs found (install wine64 or mingw-w64)" >&2
    return 1
  fi
}
