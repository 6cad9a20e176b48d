#!/usr/bin/env bash
# Makes the Wine prefix that every end-to-end test copies, or keeps the one an
# earlier run made when it is complete and from the same Wine version.
#   scripts/wine-template.sh DIR
# The prefix boots without the mono/gecko prompts and uses the null graphics
# driver, so that windows and dialogs work without any X server. It is built
# beside DIR and renamed into place, so a broken run never leaves a prefix
# that looks complete.
set -eu
dir=${1:?usage: wine-template.sh DIR}
wine=${TAVO_WINE64:-/usr/lib/wine/wine64}
server=${TAVO_WINESERVER:-/usr/lib/wine/wineserver}
marker=.tavo-template

# The revision after the Wine version makes older templates be made again.
version="$("$wine" --version) template-3"
if [ -f "$dir/$marker" ] && [ "$(cat "$dir/$marker")" = "$version" ] &&
   [ -f "$dir/system.reg" ] && grep -q '"Graphics"="null"' "$dir/user.reg" 2>/dev/null; then
  echo "wine-template: reusing $dir ($version)"
  exit 0
fi

tmp="$dir.new.$$"
cleanup() {
  WINEPREFIX="$tmp" "$server" -k 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
rm -rf "$tmp"
mkdir -p "$tmp"

export WINEPREFIX="$tmp" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
"$wine" wineboot --init
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
# Without desktop integration: it would copy every shortcut a test makes into
# the host's menus and desktop.
"$wine" reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d "" /f >/dev/null
"$server" -k
# One desktop start with the null driver, so that the display entries it
# rewrites the first time are settled in the template.
"$wine" rundll32.exe user32.dll,GetDesktopWindow || true
"$server" -k
"$server" -w  # the registry is on disk once the server has gone

# Wine links the user's desktop and documents to the host's home folder; real
# folders keep what the tests write inside the prefix.
for link in "$tmp"/drive_c/users/*/*; do
  if [ -L "$link" ]; then rm "$link"; mkdir "$link"; fi
done

grep -q '"Graphics"="null"' "$tmp/user.reg" || { echo "wine-template: null driver not saved" >&2; exit 1; }
echo "$version" > "$tmp/$marker"
rm -rf "$dir"
mv "$tmp" "$dir"
trap - EXIT
echo "wine-template: made $dir ($version)"
