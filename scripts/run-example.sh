#!/usr/bin/env bash
# The main job: set up, build everything, make the example installer from
# examples/hello/tavo.toml, then run it headless under wine64 and print every
# dialog it showed, as a user saw it.
#   scripts/run-example.sh [installer arguments...]
# Dialogs are answered by the UI robot with their default button.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
mkdir -p build
echo "== building (log: build/build.log)"
bash scripts/build.sh >build/build.log 2>&1 || { tail -n 40 build/build.log; exit 1; }

work=build/example
template=$root/build/wine-template
bash scripts/wine-template.sh "$template" >build/wine-template.log 2>&1 || { cat build/wine-template.log; exit 1; }
prefix=$work/prefix
export WINEPREFIX="$root/$prefix" WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
/usr/lib/wine/wineserver -k 2>/dev/null || true
rm -rf "$prefix"
mkdir -p "$work"
cp -a "$template" "$prefix"

# The 64-bit stub, because only 64-bit Wine runs here; real releases use x86.
installer="$prefix/drive_c/setup.exe"
dist/tavo-build examples/hello/tavo.toml -o "$installer" --stub x64
echo "== the installer, as the builder sees it"
dist/tavo-build inspect "$installer" | head -n 40

robot=build/x64/tests/robot/tavo-robot.exe
transcript=$work/transcript.txt
command="C:\\setup.exe"
for arg in "$@"; do command="$command $arg"; done
echo "== running: $command"
/usr/lib/wine/wine64 "$robot" --transcript="Z:$root/$transcript" --timeout=60000 "$command" || true
/usr/lib/wine/wineserver -k 2>/dev/null || true
echo "== what the installer showed"
cat "$transcript"

# What the installation left behind (examples/hello/tavo.toml: install folder
# and uninstall subfolder).
installed="$prefix/drive_c/Program Files/Example Software/Hello"
echo "== installed files"
if [ -d "$installed" ]; then
  (cd "$installed" && find . -type f -printf '%M %8s %TY-%Tm-%Td %TH:%TM  %P\n' | sort -k6)
else
  echo "(nothing installed in $installed)"
fi
echo "== Install.LOG"
if [ -f "$installed/Uninstall/Install.LOG" ]; then
  tr -d '\r' <"$installed/Uninstall/Install.LOG"
else
  echo "(no Install.LOG)"
fi
