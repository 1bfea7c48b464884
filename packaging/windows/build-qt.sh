#!/usr/bin/env bash
# Qt for Windows: a static Qt (Core, Gui, Widgets, Test; the windows, offscreen and minimal
# platform plugins) cross-built with MinGW-w64 from Debian's own qt6-base source package.
# It takes about 35 minutes on two cores, so it is built once and kept in a cache outside the
# work tree, in a folder named by the Qt version and a hash of the configure flags: every clone
# on the machine reuses it.
#
#   build-qt.sh            build it when missing; print the prefix last
#   build-qt.sh --prefix   print the prefix it would use, build nothing
#   build-qt.sh --check    exit 0 when it is built
#   build-qt.sh --notice   print the licence notice of that Qt, for those who get it linked in
set -euo pipefail

CACHE=${DM_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/du2damage}
JOBS=${JOBS:-$(nproc)}

# The host tools (moc, rcc, uic) come from the host Qt, which must be the same version.
qt_version() {
    local version
    version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
    [ -n "$version" ] || { echo "build-qt.sh: qt6-base-dev is not installed" >&2; exit 1; }
    echo "${version//[:~]/_}"
}

# Only the compilers: the project chain-loads its own toolchain file when it builds against Qt.
toolchain_text() {
    cat <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
}

# tabletevent: Debian's source drops the wintab headers. directwrite3 goes with direct2d
# (6.4 leaves its font database out otherwise). Bundled zlib, png, pcre2, freetype and
# harfbuzz: nothing to ship beside the executable.
CONFIGURE_FLAGS=(
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DQT_BUILD_MANUAL_TESTS=OFF
    -DINPUT_opengl=no -DFEATURE_opengl=OFF
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF
    -DFEATURE_jpeg=OFF -DFEATURE_tabletevent=OFF -DFEATURE_androiddeployqt=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_doubleconversion=OFF
)

prefix() {
    local key
    key=$( { printf '%s\n' "${CONFIGURE_FLAGS[@]}"; toolchain_text; } | sha256sum | cut -c1-12)
    echo "$CACHE/qt-$(qt_version)-mingw64-static-$key"
}

# Source entries for the machine's own package sources, so that Qt's source comes from where the
# host Qt came from: every "deb" entry again as "deb-src", in either of apt's formats.
add_source_entries() {
    local entries=/etc/apt/sources.list.d/du2damage-deb-src
    grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/ && return
    local file
    for file in /etc/apt/sources.list.d/*.sources; do
        if [ -f "$file" ]; then sed -E 's/^Types:.*$/Types: deb-src/' "$file" && echo; fi
    done > "$entries.new"
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        if [ -f "$file" ]; then sed -nE 's/^deb([[:space:]])/deb-src\1/p' "$file"; fi
    done > "$entries.list"
    mv "$entries.new" "$entries.sources"
    apt-get update
}

build() {
    local target=$1 work=$1.work
    echo "Building Qt for Windows into $target (once per machine; about 35 minutes on two cores)"
    add_source_entries
    rm -rf "$work" "$target.partial"
    mkdir -p "$work"
    (cd "$work" && apt-get source --only-source "qt6-base=$(dpkg-query -W -f='${Version}' qt6-base-dev)")
    local source
    source=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*')
    toolchain_text > "$work/toolchain.cmake"
    cmake -G Ninja -S "$source" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
        -DCMAKE_INSTALL_PREFIX="$target" "${CONFIGURE_FLAGS[@]}"
    nice -n 10 cmake --build "$work/build" --parallel "$JOBS"
    # Installed under its final name, moved aside while incomplete: a killed build is redone.
    DESTDIR="$work/install" cmake --install "$work/build"
    mv "$work/install$target" "$target.partial"
    # Qt's own toolchain file names the one it was built with: keep that one inside the prefix.
    toolchain_text > "$target.partial/mingw-w64-x86_64-posix.cmake"
    sed -i "s|$work/toolchain.cmake|$target/mingw-w64-x86_64-posix.cmake|g" \
        "$target.partial/lib/cmake/Qt6/qt.toolchain.cmake"
    mv "$target.partial" "$target"
    rm -rf "$work"
}

# Which Qt is linked into the Windows programs, under which licence, and where its source is.
notice() {
    cat <<EOF
du2damage.exe holds Qt Core, Gui and Widgets and the Windows plugins, statically linked. Qt is
licensed under the GNU Lesser General Public License, version 3 (below), which builds on the
GNU General Public License, version 3 (LICENSE.txt).

Qt was built, unchanged, from the Debian source package qt6-base $(dpkg-query -W -f='${Version}' qt6-base-dev)
by packaging/windows/build-qt.sh in the du2damage source, which shows how; the editor links
against another Qt the same way.

EOF
    cat /usr/share/common-licenses/LGPL-3
}

target=$(prefix)
case ${1:-} in
    --notice) notice ;;
    --prefix) echo "$target" ;;
    --check) [ -f "$target/lib/cmake/Qt6/qt.toolchain.cmake" ] ;;
    "")
        if [ ! -f "$target/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
            mkdir -p "$CACHE"
            # One build at a time on a machine; a second caller waits and then reuses it.
            exec 9> "$CACHE/.build-qt.lock"
            flock 9
            [ -f "$target/lib/cmake/Qt6/qt.toolchain.cmake" ] || build "$target"
        fi
        echo "$target"
        ;;
    *) echo "usage: build-qt.sh [--prefix|--check|--notice]" >&2; exit 2 ;;
esac
