#!/bin/sh
# Builds the .deb into a temporary folder and checks its fields, its contents list and what
# lintian says of it.
# Arguments: build folder, version.
set -eu
build_dir=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build_dir/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
deb="$work/du2damage_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work"; echo "no $deb"; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = du2damage ] && [ "$(field Version)" = "$version" ] &&
    [ "$(field Section)" = utils ] || { dpkg-deb -I "$deb"; exit 1; }
for library in libqt6widgets6 libqt6gui6 libqt6core6 libc6 libstdc++6; do
    field Depends | grep -q "$library" || { echo "Depends lacks $library: $(field Depends)"; exit 1; }
done
field Description | grep -q "hit box" || { echo "no long description"; exit 1; }
[ -z "$(field Recommends)" ] || { echo "recommends $(field Recommends)"; exit 1; }

# Regular files only, names after the five columns of mode, owner, size, date and time.
dpkg-deb -c "$deb" | grep -v '^d' | sed -E 's/^([^ ]+ +){5}//' | sort >"$work/actual"
sort >"$work/expected" <<'LIST'
./usr/bin/dmtool
./usr/bin/du2damage
./usr/lib/du2damage/libdmtool_render.so
./usr/share/applications/org.du2damage.editor.desktop
./usr/share/du2damage/DM Column Headers.txt
./usr/share/du2damage/DM File List.txt
./usr/share/du2damage/DM Row Headers.txt
./usr/share/doc/du2damage/changelog.gz
./usr/share/doc/du2damage/copyright
./usr/share/icons/hicolor/256x256/apps/du2damage.png
./usr/share/icons/hicolor/48x48/apps/du2damage.png
./usr/share/icons/hicolor/scalable/apps/du2damage.svg
./usr/share/man/man1/dmtool.1.gz
./usr/share/man/man1/du2damage.1.gz
./usr/share/metainfo/org.du2damage.editor.metainfo.xml
./usr/share/mime/packages/du2damage.xml
LIST
diff -u "$work/expected" "$work/actual"

# Debian's own package checks: no error and no warning.
lintian --fail-on error,warning "$deb" ||
    { echo "lintian finds fault with $deb"; exit 1; }
echo "package $deb holds what it should"
