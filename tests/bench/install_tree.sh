# Sourced by scripts/figures.sh: the payload of the installation figure, a
# fixed tree of about 2,100 files and 210 MB of mixed sizes made of real
# Windows content found on this machine (Wine's PE binaries under 1 MB, and
# mingw-w64's headers in their folders), with a manifest that installs it
# without questions.
#   write_install_tree DIR  ->  DIR/tree/..., DIR/tavo.toml

write_install_tree() {
  local dir=$1 bin=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows include=/usr/share/mingw-w64/include
  local sub
  if [ ! -d "$bin" ] || [ ! -d "$include" ]; then
    echo "install tree: needs $bin (wine64) and $include (mingw-w64)" >&2
    return 1
  fi
  rm -rf "$dir/tree"
  mkdir -p "$dir/tree/bin"
  find "$bin" -maxdepth 1 -type f -size -1000000c -print0 | LC_ALL=C sort -z | xargs -0 cp -t "$dir/tree/bin"
  cp -r "$include" "$dir/tree/include"
  {
    cat <<'TOML'
# Made by tests/bench/install_tree.sh: every folder of tree/ under the
# installation directory.
flags = ["automatic-install", "packed-data"]

[product]
name = "TAVO Bench"
publisher = "TAVO"
version = "1.0"

[directories]
install = "%ProgramsDir%\\TAVO Bench"
TOML
    (cd "$dir/tree" && find . -type f -printf '%h\n' | LC_ALL=C sort -u) | while read -r sub; do
      sub=${sub#./}
      printf '\n[[files]]\nsource = "tree/%s/*"\ndestination = "%s\\\\"\n' "$sub" "${sub//\//\\\\}"
    done
  } >"$dir/tavo.toml"
}
