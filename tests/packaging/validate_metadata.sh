#!/bin/sh
# The desktop entry, AppStream metainfo, MIME type and manuals, checked by the ecosystem's tools;
# any warning fails. Arguments: source folder, build folder.
set -eu
source_dir=$1
build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

quiet() { # runs a checker that must succeed and print nothing
    output=$("$@" 2>&1) || { echo "$output"; echo "FAILED: $*"; exit 1; }
    [ -z "$output" ] || { echo "$output"; echo "NOT CLEAN: $*"; exit 1; }
}

quiet desktop-file-validate "$source_dir/packaging/org.du2damage.editor.desktop"
appstreamcli validate --no-net --pedantic "$build_dir/packaging/org.du2damage.editor.metainfo.xml"
quiet xmllint --noout "$source_dir/packaging/du2damage.xml"

# The MIME database built from our file alone: the glob must come out case-insensitive
# (globs2 marks case-sensitive globs with ":cs").
mkdir -p "$work/mime/packages"
cp "$source_dir/packaging/du2damage.xml" "$work/mime/packages/"
quiet env XDG_DATA_HOME="$work" XDG_DATA_DIRS="$work" update-mime-database "$work/mime"
grep -qx '60:application/x-quellor-damage:\*damage.dat' "$work/mime/globs2" &&
    ! grep -q ':cs$' "$work/mime/globs2" ||
    { cat "$work/mime/globs2"; echo "glob missing or case-sensitive"; exit 1; }

for page in du2damage dmtool; do
    quiet env LC_ALL=C.UTF-8 MANWIDTH=80 sh -c \
        'man --warnings -E UTF-8 -l "$1" >/dev/null' man "$build_dir/packaging/man/$page.1"
done
echo "metadata valid"
