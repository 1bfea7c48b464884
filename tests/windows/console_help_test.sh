#!/bin/sh
# du2damage.exe --help and --version under Wine, started as a command prompt starts a window
# program, read from the prompt's console (a pseudo-terminal, so that Wine gives the prompt a
# console at all), and sent into a pipe as before.
# Arguments: start_detached.exe, du2damage.exe, the version.
set -eu
starter=$1
editor=$2
version=$3
wine=/usr/lib/wine/wine64
export WINEDEBUG=-all
unset DISPLAY
fail() { echo "FAIL: $*" >&2; exit 1; }

# What the console showed, as plain lines: Wine draws blanks as cursor moves.
console() {
    script -qec "$wine '$starter' '$editor' $1" /dev/null </dev/null |
        perl -pe 's/\e\[(\d*)C/" " x ($1 || 1)/ge; s/\e\[[0-9;?]*[A-Za-z]//g; s/\r//g'
}

help=$(console --help)
for line in 'Usage: du2damage [FILE]' \
    "Open clears a file's read-only attribute, so that Save can write it." \
    'the settings file is %APPDATA%\du2damage\du2daminfo.INI.'; do
    printf '%s\n' "$help" | grep -qxF "$line" || fail "--help in the console lacks: $line
$help"
done
printf '%s\n' "$help" | grep -q XDG_CONFIG_HOME && fail "--help names XDG_CONFIG_HOME"
[ "$(console --version)" = "du2damage $version" ] || fail "--version: $(console --version)"
[ "$("$wine" "$editor" --version | tr -d '\r')" = "du2damage $version" ] ||
    fail "--version into a pipe"
echo "du2damage.exe prints its help and version into the console that started it"
