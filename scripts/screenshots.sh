#!/usr/bin/env bash
# Pictures of a real installer as a user sees it: the background window with
# the language, licence and directory dialogs and the progress dialog, saved
# as docs/screenshots/*.png.
#   scripts/screenshots.sh            (after scripts/build.sh)
# Runs under Xvfb with Wine's ordinary X11 driver, in a private prefix of its
# own (the test template uses the null driver, which draws nothing). The UI
# robot answers the dialogs before the one wanted and leaves that one open;
# the screen is taken while it waits. Not part of the test run.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xauth >/dev/null || need+=(xauth)
command -v import >/dev/null || need+=(imagemagick)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq && apt-get install -y -qq "${need[@]}" >/dev/null
fi

wine=${TAVO_WINE64:-/usr/lib/wine/wine64}
server=${TAVO_WINESERVER:-/usr/lib/wine/wineserver}
robot=$root/build/x64/tests/robot/tavo-robot.exe
builder=$root/dist/tavo-build
out=$root/docs/screenshots
work=$root/build/screenshots
for f in "$robot" "$builder"; do [ -e "$f" ] || { echo "missing $f: run scripts/build.sh" >&2; exit 1; }; done

rm -rf "$work"
mkdir -p "$work/product" "$out"
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

display=:${TAVO_SCREENSHOT_DISPLAY:-97}
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
cleanup() {
  "$server" -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

echo "== prefix (X11 driver)"
"$wine" wineboot --init >"$work/wineboot.log" 2>&1
# Without a window manager only Wine's own frames show the dialogs' captions.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"$server" -w

# The product: the example's files, with the wizard, a second language, a
# bitmap in the corner and a progress step slow enough to be photographed.
cp examples/hello/hello.bat examples/hello/README.txt examples/hello/LICENSE.txt "$work/product/"
convert -size 160x100 gradient:'#F5C542-#D9480F' -gravity center -pointsize 22 -fill white \
  -annotate 0 'Hello 1.0' BMP3:"$work/product/logo.bmp"
cat >"$work/product/tavo.toml" <<'EOF'
flags = ["uninstall-record", "directory-dialog", "packed-data"]
min-step-time = 9999

[product]
name = "Hello"
publisher = "Example Software"
version = "1.0"

[directories]
install = "%ProgramsDir%\\Example Software\\Hello"
uninstall-subdir = "Uninstall"
uninstaller-name = "Uninstall Hello.exe"

[appearance]
title-color = "#FFFFFF"
top-color = "#1E3A8A"
bottom-color = "#0B1020"
background-bitmap = "logo.bmp"
bitmap-size = 60

[texts]
licence = ["LICENSE.txt"]

[[files]]
source = "hello.bat"

[[files]]
source = "README.txt"

[[languages]]
name = "Deutsch"
[languages.strings]
0 = "Hello Installation"
EOF
"$builder" "$work/product/tavo.toml" -o "$WINEPREFIX/drive_c/setup.exe" --stub x64 >"$work/build.log"

# shoot NAME SECONDS SCRIPT: runs the installer under the robot with SCRIPT,
# waits, takes the screen, and ends every process of the prefix.
shoot() {
  local name=$1 wait=$2
  printf '%s\ndefault\n  ignore\n' "$3" >"$work/$name.script"
  "$wine" "$robot" --transcript="Z:$work/$name.transcript" --script="Z:$work/$name.script" \
    --timeout=60000 'C:\setup.exe' >"$work/$name.log" 2>&1 &
  local run=$!
  sleep "$wait"
  import -window root "$out/$name.png"
  "$server" -k 2>/dev/null || true
  wait "$run" 2>/dev/null || true
  echo "== $out/$name.png"
}

language='on caption "Choose Your Language"
  click 1001'
licence='on caption "License Agreement"
  click 1001'
directory='on caption "Installation Folder"
  click 1001'

shoot language 8 'on caption "Choose Your Language"
  ignore'
shoot licence 10 "$language"
shoot directory 12 "$language
$licence"
shoot progress 16 "$language
$licence
$directory"
