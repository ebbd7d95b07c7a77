#!/usr/bin/env bash
# Builds Qt for 64-bit Windows (MinGW-w64) from Debian's own qt6-base source
# package, once, into a cache outside the build tree, and prints its prefix
# as the last line. The host's moc, rcc and uic serve the cross build, so the
# version must be the host's. Nothing prebuilt is downloaded.
#
#   scripts/build-qt-windows.sh     PANEL_QT_CACHE sets the cache folder
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
version="$(dpkg-query -W -f='${source:Upstream-Version}' qt6-base-dev)"
# Only what the panel and its tests use; direct2d stays for the DirectWrite
# font database of the windows platform plugin, FreeType for offscreen.
options=(
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_TOOLS_BY_DEFAULT=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF -DFEATURE_opengl=OFF
    -DINPUT_opengl=no -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF
    -DFEATURE_jpeg=OFF -DFEATURE_direct2d=ON -DFEATURE_direct2d1_1=OFF
    -DFEATURE_freetype=ON -DFEATURE_system_freetype=OFF
)
key="$(printf '%s\n' "$version" "${options[@]}" | cat - "$root/cmake/mingw-w64.cmake" | sha256sum | cut -c1-12)"
cache="${PANEL_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/stream_panel}"
prefix="$cache/qt-$version-mingw-$key"

if [ ! -f "$prefix/.complete" ]; then
    work="$cache/work-$key"
    rm -rf "$work" "$prefix"
    mkdir -p "$work/apt/lists/partial" "$work/apt/sources"
    # A private source list: the system's apt configuration stays as it is.
    sed -n 's/^Types: deb$/Types: deb-src/;/^Types\|^URIs\|^Suites\|^Components\|^Signed-By\|^$/p' \
        /etc/apt/sources.list.d/debian.sources > "$work/apt/sources/debian.sources"
    apt=(apt-get -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$work/apt/sources"
         -o "Dir::State::Lists=$work/apt/lists")
    "${apt[@]}" update >&2
    (cd "$work" && "${apt[@]}" source --download-only "qt6-base=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)" >&2)
    mkdir "$work/src"
    tar -xf "$work"/qt6-base_*.orig.tar.* -C "$work/src" --strip-components=1

    # Debian's tarball leaves out the Wintab headers; Wine's LGPL ones serve,
    # with the A/W name macros and calling convention that Wine defines itself.
    wintab="$work/src/src/3rdparty/wintab"
    mkdir -p "$wintab"
    cp /usr/include/wine/wine/windows/pktdef.h "$wintab/"
    cat > "$wintab/wintab.h" <<'HEADER'
#pragma once
#include <windows.h>
#define API WINAPI
#define WINELIB_NAME_AW(name) name##W
#define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#include "wine_wintab.h"
HEADER
    cp /usr/include/wine/wine/windows/wintab.h "$wintab/wine_wintab.h"

    cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        "${options[@]}" >&2
    cmake --build "$work/build" >&2
    cmake --install "$work/build" --strip >&2
    touch "$prefix/.complete"
    rm -rf "$work"
fi
echo "$prefix"
