# Sourced by the build scripts: configure_tree DIR [cmake args...] makes a
# Release build tree once. A cross tree whose toolchain files have changed
# since is made again, since CMake keeps the compiler it first found.
configure_tree() {
  local dir=$1; shift
  local stamp=
  case " $* " in
    *-DCMAKE_TOOLCHAIN_FILE=*) stamp=$(cat cmake/mingw-*.cmake cmake/clang-mingw.cmake | cksum) ;;
  esac
  if [ -f "$dir/build.ninja" ] && [ "$(cat "$dir/.toolchain" 2>/dev/null)" != "$stamp" ]; then
    rm -rf "$dir"
  fi
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    echo "$stamp" >"$dir/.toolchain"
  fi
}
