#!/usr/bin/env bash
# The main job: builds everything, makes the installer of the example product
# Jotter (examples/jotter: a notes editor with its help, a font, a file
# association, shortcuts, two languages, a licence, a readme, a background
# picture and an uninstaller), and then, under wine64 in a fresh prefix of its
# own:
#   1. runs the installer as a user would: the UI robot answers the wizard,
#      and every dialog is printed as it was shown;
#   2. prints what the installation left: files, registry keys and values,
#      shortcuts with their targets, Install.LOG;
#   3. uninstalls the product with the uninstaller it installed (the command
#      the list of installed programs would run), and shows that it is gone.
#
#   scripts/run-example.sh [installer arguments...]     e.g. /d:"C:\Tools\Jotter"
#   TAVO_EXAMPLE_LANGUAGE=Deutsch scripts/run-example.sh   (the wizard in German)
#
# Exit code 0 when the round trip left nothing behind.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
language=${TAVO_EXAMPLE_LANGUAGE:-English}
case $language in
  English) language_index=0 ;;
  Deutsch) language_index=1 ;;
  *) echo "TAVO_EXAMPLE_LANGUAGE: English or Deutsch, not $language" >&2; exit 2 ;;
esac

heading() { printf '\n==== %s\n\n' "$*"; }
sub() { printf -- '--- %s\n' "$*"; }

heading "Setting up and building (log: build/build.log)"
bash scripts/setup.sh
mkdir -p build
bash scripts/build.sh >build/build.log 2>&1 || { tail -n 40 build/build.log; exit 1; }
echo "built dist/tavo-build, dist/tavo-stub-x86.exe, dist/tavo-stub-x64.exe and the example product"

product=build/x64/examples/jotter/product
open_note=build/x64/examples/jotter/open_note.exe
robot=build/x64/tests/robot/tavo-robot.exe
read_link=build/host/tests/e2e/read_link.exe
[ -f "$product/tavo.toml" ] && [ -f "$product/jotter.exe" ] ||
  { echo "the example product was not built (see the CMake warning in build/build.log)" >&2; exit 1; }
[ -f "$read_link" ] || { echo "missing $read_link (built with the host tree's tests)" >&2; exit 1; }

wine=${TAVO_WINE64:-/usr/lib/wine/wine64}
server=${TAVO_WINESERVER:-/usr/lib/wine/wineserver}
work=$root/build/example
template=$root/build/wine-template
bash scripts/wine-template.sh "$template" >build/wine-template.log 2>&1 || { cat build/wine-template.log; exit 1; }
prefix=$work/prefix
# Without Wine's desktop integration, which would copy the shortcuts into the
# host's menus and desktop.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
"$server" -k 2>/dev/null || true
rm -rf "$work"
mkdir -p "$work"
cp -a "$template" "$prefix"
c=$prefix/drive_c
# Wine links the user's desktop and documents to the host's home folder; the
# shortcuts of this run belong in the prefix.
for folder in "$c"/users/*/*; do
  if [ -L "$folder" ]; then rm "$folder" && mkdir "$folder"; fi
done

# --- Helpers -----------------------------------------------------------------

# Prints a robot transcript as the user saw it: each dialog with its caption,
# texts, lists and buttons, and the answer given.
show_transcript() {
  perl -CSD -e '
    sub fields { my ($s) = @_; my @f;
      while ($s =~ /\G\s*(?:"((?:[^"\\]|\\.)*)"|(\S+))/gc) {
        my $t = defined $1 ? $1 : $2;
        $t =~ s/\\x([0-9A-Fa-f]{2})/chr hex $1/ge;
        $t =~ s/\\(.)/$1 eq "r" ? "" : $1 eq "n" ? "\n" : $1 eq "t" ? "\t" : $1/ge;
        push @f, $t }
      @f }
    sub plain { my $t = shift; $t =~ s/&(.)/$1/g; $t }
    sub block { my ($lead, $text) = @_; my @l = split /\n/, $text, -1;
      pop @l while @l && $l[-1] eq ""; print "  $lead$_\n" for @l }
    my (%button, $n);
    while (<>) { chomp; my ($word, @f) = fields($_);
      next unless defined $word;
      if ($word eq "command") { print "Command line: $f[0]\n" }
      elsif ($word eq "dialog") { %button = (); $n = $f[0] }
      elsif ($word eq "caption") { print "\n[$n] \"$f[0]\"\n" }
      elsif ($word eq "control") { my ($id, $class, $text) = @f;
        if ($class =~ /^button$/i) { $button{$id} = plain($text); print "  [ ", plain($text), " ]\n" if $text ne "" }
        elsif ($class =~ /^edit$/i) { block("| ", $text) }
        elsif ($text ne "") { block("", plain($text)) } }
      elsif ($word eq "items") { my $id = shift @f; print "  list: ", join(" / ", @f), "\n" }
      elsif ($word eq "answer") { my ($verb, @args) = @f;
        if ($verb eq "click") { my ($id) = grep { exists $button{$_} } @args;
          print "  -> the user clicks \"", $button{$id // $args[0]} // $args[0], "\"\n" }
        elsif ($verb eq "ignore") { print "  (the user waits)\n" }
        else { print "  -> the user does: $verb @args\n" } }
      elsif ($word eq "failed") { print "  !! could not do: @f\n" }
      elsif ($word eq "timeout") { print "\n!! still running after $f[0] ms: ended by the robot\n" }
      elsif ($word eq "exit") { print "\nThe program ended (exit code $f[0]).\n" }
      elsif ($word eq "error") { print "\n!! robot: @f\n" } }' "$1"
}

# Runs a command line under the robot with a script; the transcript goes to
# $work/NAME.transcript.
run_robot() {
  local name=$1 script=$2 command=$3
  printf '%s\n' "$script" >"$work/$name.script"
  "$wine" "$robot" --transcript="Z:$work/$name.transcript" --script="Z:$work/$name.script" \
    --timeout=120000 "$command" >"$work/$name.log" 2>&1 || true
}

# reg.exe's answer with CR LF made plain and its blank lines squeezed.
reg_query() { "$wine" reg query "$@" 2>/dev/null | tr -d '\r' | cat -s | sed '/^$/d'; }
reg_exists() { "$wine" reg query "$@" >/dev/null 2>&1; }

# Every shortcut in the user folders of the prefix, one path a line.
shortcuts() { find "$c/users" -iname '*.lnk' 2>/dev/null | sort; }

unix_path() {  # C:\a\b -> $c/a/b
  local p=${1#[Cc]:}
  printf '%s' "$c${p//\\//}"
}
windows_path() {  # $c/a/b -> C:\a\b
  local p=${1#"$c"}
  printf 'C:%s' "${p//\//\\}"
}

# --- The installer -----------------------------------------------------------

heading "Making the installer from examples/jotter/tavo.toml"
echo "The product folder, staged by the build: $product"
(cd "$product" && find . -type f -printf '  %8s  %P\n' | sort -k2)
installer_win='C:\Downloads\jotter-setup.exe'
installer=$(unix_path "$installer_win")
mkdir -p "$(dirname "$installer")"
# The 64-bit stub, because only 64-bit Wine runs here; real releases use x86.
dist/tavo-build "$product/tavo.toml" -o "$installer" --stub x64
echo
sub "What the builder put into it (dist/tavo-build inspect, abridged)"
dist/tavo-build inspect "$installer" |
  grep -E '^(Section|Settings|Files)|installer size|  flags |product name|  version |install dir|start menu|uninstaller name|colours|background|association|uninstall value|languages|strings|^  \[' || true

shortcuts >"$work/shortcuts-before.txt"

# --- Installing --------------------------------------------------------------

heading "Installing: $installer_win, wizard in $language"
install_script="# The user: picks a language, accepts the licence, reads the readme,
# keeps the proposed folder and acknowledges the closing message.
on caption \"Choose Your Language\"
  pick 1017 $language_index
  click 1001
on caption \"License Agreement\"
  click 1001
on caption \"Lizenzvereinbarung\"
  click 1001
on caption \"Read Me\"
  click 1001
on caption \"Liesmich\"
  click 1001
on caption \"Installation Folder\"
  click 1001
on caption \"Installationsordner\"
  click 1001
on caption \"Installation Complete\"
  click 1
on caption \"Installation abgeschlossen\"
  click 1
on caption \"FATAL ERROR\"
  click 1
default
  ignore"
command=$installer_win
for arg in "$@"; do command="$command $arg"; done
run_robot install "$install_script" "$command"
show_transcript "$work/install.transcript"
"$server" -w 2>/dev/null || true

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Jotter'
location=$(reg_query "$uninstall_key" /v InstallLocation | sed -n 's/.*REG_SZ *//p')
if [ -z "$location" ]; then
  echo "!! the installation left no uninstall entry; see $work/install.transcript" >&2
  exit 1
fi
installed=$(unix_path "$location")

# --- What it installed -------------------------------------------------------

heading "What the installation left"
sub "Files in $location (size in bytes)"
(cd "$installed" && find . -mindepth 1 -printf '%y %s %P\n' | sort -k3 |
  awk '{ kind = $1; size = $2; $1 = ""; $2 = ""; sub(/^  /, "");
         n = split($0, parts, "/"); indent = sprintf("%" (2 * n) "s", "");
         if (kind == "d") printf "%s%s\\\n", indent, parts[n];
         else printf "%s%-34s %9d\n", indent, parts[n], size }')
sub "The font, in the fonts folder"
find "$c/windows/Fonts" -iname 'JotterMono.ttf' -printf '  C:\\windows\\Fonts\\%f  %s bytes\n'

heading "Registry"
sub "The entry in the list of installed programs"
reg_query "$uninstall_key"
sub "The file association: .jot -> Jotter.Note"
reg_query 'HKCR\.jot'
reg_query 'HKCR\Jotter.Note' /s
sub "The product's own keys (created empty, for the program's settings)"
for key in 'HKLM\Software\Example Software\Jotter' 'HKCU\Software\Example Software\Jotter'; do
  if reg_exists "$key"; then echo "$key (empty)"; else echo "$key missing"; fi
done
sub "The font in the system's font list"
reg_query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' /v 'Jotter Mono (TrueType)'

heading "Shortcuts (read back through the shell)"
shortcuts >"$work/shortcuts-after.txt"
comm -13 "$work/shortcuts-before.txt" "$work/shortcuts-after.txt" >"$work/shortcuts-new.txt"
cp "$read_link" "$c/read_link.exe"
while IFS= read -r link; do
  windows_link=$(windows_path "$link")
  echo "$windows_link"
  if "$wine" 'C:\read_link.exe' "$windows_link" 'C:\link.txt' >/dev/null 2>&1; then
    tr -d '\r' <"$c/link.txt" | awk 'NR == 1 { print "  target:    " $0 }
                                     NR == 2 && $0 != "" { print "  arguments: " $0 }
                                     NR == 3 && $0 != "" { print "  starts in: " $0 }'
  else
    echo "  (could not be read)"
  fi
done <"$work/shortcuts-new.txt"
rm -f "$c/read_link.exe" "$c/link.txt"

heading "Opening the sample note as a double-click does"
echo "Samples\\Welcome.jot, opened through the shell (its .jot association), comes up in the window:"
if title=$("$wine" "$open_note" "$location\\Samples\\Welcome.jot" " - Jotter" 2>/dev/null); then
  echo "  \"$(printf '%s' "$title" | tr -d '\r')\"  (closed again)"
else
  echo "  !! no Jotter window came"
fi

heading "Install.LOG"
log=$(find "$installed" -maxdepth 2 -name Install.LOG | head -n 1)
if [ -n "$log" ]; then tr -d '\r' <"$log"; else echo "(no Install.LOG)"; fi

# --- Uninstalling ------------------------------------------------------------

uninstall_command=$(reg_query "$uninstall_key" /v UninstallString | sed -n 's/.*REG_SZ *//p')
heading "Uninstalling with the installed uninstaller"
uninstall_script='# The user: confirms, lets the font go, acknowledges the closing message.
on text "Do you want to remove"
  click 6
on text "mit allen Komponenten"
  click 6
on caption "Remove Font"
  click 6
on caption "Schriftart entfernen"
  click 6
on text "was removed from your computer"
  click 1
on text "wurde von Ihrem Computer entfernt"
  click 1
on caption "FATAL ERROR"
  click 1
default
  ignore'
run_robot uninstall "$uninstall_script" "$uninstall_command"
show_transcript "$work/uninstall.transcript"
# The uninstaller removes itself with a batch file that runs on after it.
uninstaller=${uninstall_command% /u:*}
uninstaller=$(unix_path "${uninstaller//\"/}")
for _ in $(seq 100); do [ -e "$uninstaller" ] || break; sleep 0.3; done
sleep 1
"$server" -k 2>/dev/null || true
"$server" -w 2>/dev/null || true

heading "After uninstalling"
left=0
check_gone() {  # description, test command...
  local what=$1; shift
  if "$@"; then echo "  still there: $what"; left=1; else echo "  gone:        $what"; fi
}
check_gone "$location" test -e "$installed"
check_gone "C:\\windows\\Fonts\\JotterMono.ttf" test -e "$c/windows/Fonts/JotterMono.ttf"
check_gone "$uninstall_key" reg_exists "$uninstall_key"
check_gone 'HKCR\.jot' reg_exists 'HKCR\.jot'
check_gone 'HKCR\Jotter.Note' reg_exists 'HKCR\Jotter.Note'
check_gone 'HKLM\Software\Example Software' reg_exists 'HKLM\Software\Example Software'
check_gone 'HKCU\Software\Example Software' reg_exists 'HKCU\Software\Example Software'
check_gone 'the font list value "Jotter Mono (TrueType)"' \
  reg_exists 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' /v 'Jotter Mono (TrueType)'
while IFS= read -r link; do
  check_gone "$(windows_path "$link")" test -e "$link"
done <"$work/shortcuts-new.txt"
check_gone "the start-menu folder Example Software" \
  test -n "$(find "$c/users" -ipath '*Start Menu/Programs/Example Software' 2>/dev/null)"
"$server" -k 2>/dev/null || true
echo
if [ $left -eq 0 ]; then
  echo "Everything the installation made is gone. (Prefix kept for a look: $prefix)"
else
  echo "Something was left behind. (Prefix kept for a look: $prefix)"
fi
exit $left
