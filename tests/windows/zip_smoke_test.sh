#!/bin/sh
# Checks the Windows download: its file list, then the editor in it under Wine with the windows
# platform on a virtual X server of its own, unzipped into a folder with a non-ASCII name: it
# opens a sample, takes an edit of one cell, saves it, saves it again under a non-ASCII name and
# keeps its settings beside itself. Arguments: the zip, the samples folder.
set -eu
zip=$(realpath "$1")
samples=$(realpath "$2")
work=$(mktemp -d)
xvfb=
editor=
cleanup() {
    [ -z "$editor" ] || kill "$editor" 2>/dev/null || true
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*"; exit 1; }
wine=/usr/lib/wine/wine64
# A prefix of its own, made with the display set: Wine's desktop keeps the display it began with.
export WINEDEBUG=-all WINEPREFIX="$work/wine"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
"$wine" wineboot --init 2>/dev/null

unzip -Z1 "$zip" | sort >"$work/actual"
sort >"$work/expected" <<'LIST'
DM Column Headers.txt
DM File List.txt
DM Row Headers.txt
LICENSE.txt
QT-NOTICE.txt
README.txt
dmtool.exe
du2damage.exe
LIST
diff -u "$work/expected" "$work/actual" || fail "the zip's file list"

# Letters outside the Windows ANSI code pages of Western Europe, so a path passed as ANSI fails.
folder="$work/Крыло ü 翼"
mkdir "$folder"
unzip -q "$zip" -d "$folder"
cp "$samples/27damage.dat" "$folder/"
cd "$folder"
cells() { "$wine" dmtool.exe cells "$1" | tr -d '\r'; }
# Polls: xdotool's own --sync gives up when Wine destroys a window while it looks.
waitForWindow() {
    for _ in $(seq 240); do
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
        [ -z "$found" ] || { echo "$found"; return 0; }
        sleep 0.5
    done
    return 1
}
before=$(cells 27damage.dat | head -1 | cut -f4)
typed=150
[ "$before" != "$typed" ] || typed=151

"$wine" du2damage.exe 27damage.dat &
editor=$!
window=$(waitForWindow '^Editing DM File: 27damage.dat$') ||
    fail "the editor did not open 27damage.dat"

# Typed keys can be lost on a busy machine: each typed step is tried up to three times.
# Row 1's Damage cell (the fourth column), a new value, Save.
for attempt in 1 2 3; do
    xdotool windowfocus "$window"
    sleep 1
    xdotool key --delay 100 ctrl+Home Right Right Right
    xdotool type --delay 100 "$typed"
    xdotool key --delay 100 Return ctrl+s
    for _ in $(seq 50); do ! cmp -s 27damage.dat "$samples/27damage.dat" && break; sleep 0.2; done
    [ "$(cells 27damage.dat | head -1 | cut -f4)" = "$typed" ] && break
    [ "$attempt" != 3 ] || fail "the edit was not saved"
done
# Only bytes of the first record (bytes 101 to 167) differ; header and tail are as they were.
cmp -l "$samples/27damage.dat" 27damage.dat | awk '$1 < 101 || $1 > 167 { bad = 1 } END { exit bad }' ||
    fail "bytes outside the edited record changed"
[ "$(stat -c %s 27damage.dat)" = "$(stat -c %s "$samples/27damage.dat")" ] || fail "size changed"

# Save As, under a name typed into Windows' own dialog; a name that lost a letter is removed.
for attempt in 1 2 3; do
    xdotool windowfocus "$(waitForWindow '^Editing DM File: ')"
    xdotool key --delay 100 ctrl+shift+s
    waitForWindow '^Save DM File as' >/dev/null || fail "no Save As dialog"
    sleep 1
    xdotool key --delay 100 ctrl+a
    xdotool type --delay 100 "Ωμέγα.dat"
    xdotool key Return
    for _ in $(seq 50); do [ -f "Ωμέγα.dat" ] && break; sleep 0.2; done
    [ -f "Ωμέγα.dat" ] && break
    [ "$attempt" != 3 ] || fail "Save As to a non-ASCII name: $(ls)"
    find . -maxdepth 1 -name '*.dat' ! -name 27damage.dat -delete
done
cmp -s "Ωμέγα.dat" 27damage.dat || fail "Save As to a non-ASCII name: $(ls)"
waitForWindow '^Editing DM File: Ωμέγα.dat$' >/dev/null ||
    fail "the saved copy is not the current file"

[ -f du2daminfo.INI ] || fail "no settings file beside du2damage.exe"
[ -z "$(find "$WINEPREFIX/drive_c/users" -name du2daminfo.INI)" ] || fail "settings in APPDATA"
echo "du2damage.exe from $zip opens, edits and saves under Wine"
