#!/usr/bin/env bash
# Installs the Debian packages that a task needs, and only those missing:
# when everything is there it changes nothing and needs no network.
#
#   scripts/install-deps.sh           building and running the panel (the demo)
#   scripts/install-deps.sh test      that, and all that the test command uses
#   scripts/install-deps.sh package   that, and the Debian package's checks
set -euo pipefail

packages=(
    cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev
    fonts-dejavu-core   # without a font the window shows no text
    xvfb xauth          # a display for machines without one
    x11-utils           # xwininfo: finds the window for the screenshot
    imagemagick         # import: takes the screenshot
)
case "${1:-}" in
    test) packages+=(
        clang-format                  # the format test
        clang libclang-rt-14-dev llvm # the fuzz targets, sanitizer runtimes, symbolizer
        dpkg-dev                      # the Debian package's dependencies (cpack)
        acl attr                      # setfacl, setfattr and their readers: what stays on the library
        g++-mingw-w64-x86-64-posix wine wine64 libwine-dev nsis xz-utils # the Windows build
    ) ;;
    package) packages+=(dpkg-dev gzip lintian devscripts man-db) ;;
    "") ;;
    *) echo "usage: scripts/install-deps.sh [test|package]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
    status="$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)"
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
if [ "${#missing[@]}" -eq 0 ]; then
    echo "install-deps: all ${#packages[@]} packages are installed"
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
