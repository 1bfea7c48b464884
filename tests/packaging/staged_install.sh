#!/bin/sh
# Installs the build into a staging folder (DESTDIR) and runs the programs from the staged tree:
# they must find their text files and render module there and keep the editor's settings in the
# user's configuration folder. Arguments: build folder, samples folder, version.
set -eu
build_dir=$1
samples=$2
version=$3
stage=$(mktemp -d)
xvfb=
editor=
cleanup() {
    [ -z "$editor" ] || kill "$editor" 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$stage"
}
trap cleanup EXIT
fail() { echo "FAILED: $*"; exit 1; }

DESTDIR="$stage" cmake --install "$build_dir" --prefix /usr >/dev/null
bin="$stage/usr/bin"
[ ! -e "$bin/du2daminfo.INI" ] && [ ! -e "$bin/DM File List.txt" ] || fail "files beside bin"

[ "$("$bin/dmtool" --version)" = "dmtool $version" ] || fail "dmtool --version"
[ "$("$bin/du2damage" --version)" = "du2damage $version" ] || fail "du2damage --version"
"$bin/du2damage" --help | grep -q '^Usage: du2damage \[FILE\]' || fail "du2damage --help"

# The render module comes from <prefix>/lib/du2damage.
"$bin/dmtool" render "$samples/27damage.dat" --view top -o "$stage/top.png" || fail "render"
[ "$(head -c 4 "$stage/top.png" | tail -c 3)" = PNG ] || fail "render wrote no PNG"

message=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/du2damage" 2>&1) && status=0 ||
    status=$?
[ "$status" = 1 ] && [ "$message" = "du2damage needs a graphical display: DISPLAY is not set" ] ||
    fail "without a display: status $status, '$message'"

# A display that cannot be reached is one line and status 1, not Qt's abort.
for unreachable in "DISPLAY=:4242" "WAYLAND_DISPLAY=du2damage-no-such-socket"; do
    message=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$unreachable" "$bin/du2damage" 2>&1) &&
        status=0 || status=$?
    [ "$status" = 1 ] && [ "$message" = "du2damage cannot open the display ${unreachable#*=}" ] ||
        fail "$unreachable: status $status, '$message'"
done

# The editor under a virtual X server, as a user whose configuration folder is ~/.config.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$stage/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$stage/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$stage/display")"
mkdir -p "$stage/home" "$stage/files"
cp "$samples/0fdamage.dat" "$stage/files/"
env -u QT_QPA_PLATFORM -u XDG_CONFIG_HOME HOME="$stage/home" \
    "$bin/du2damage" "$stage/files/0fdamage.dat" &
editor=$!

# A file named on the command line opens in the editor at once, without the start window.
timeout 20 xdotool search --sync --onlyvisible --name '^Editing DM File: 0fdamage.dat$' \
    >/dev/null || fail "the file named on the command line did not open"
[ -z "$(xdotool search --onlyvisible --name '^RO3z Damage Editor 26Vad01$')" ] ||
    fail "the start window shows beside the file"
settings="$stage/home/.config/du2damage/du2daminfo.INI"
grep -qx "initdirect=$stage/files/" "$settings" || fail "settings not in ~/.config/du2damage"
echo "staged install runs from $stage"
