#!/usr/bin/env bash
# Installs the Debian packages that the panel needs, and only those that are
# missing. Safe to run again: when everything is there it changes nothing and
# needs no network.
#
#   scripts/install-deps.sh        building and running the panel (the demo)
#   scripts/install-deps.sh test   that, and everything the test command uses
set -euo pipefail

# The two lists of packages. Add new ones here, one per line.
packages=(
    cmake
    g++
    make
    qt6-base-dev
    qt6-base-dev-tools
    libgl-dev
    fonts-dejavu-core   # without a font the window shows no text
    xvfb                # a display for machines without one
    xauth               # needed by xvfb-run
    x11-utils           # xwininfo: finds the window for the screenshot
    imagemagick         # import: takes the screenshot
)
if [ "${1:-}" = test ]; then
    packages+=(
        clang-format                # scripts/check-format.sh
        clang                       # the fuzz targets (scripts/fuzz.sh)
        libclang-rt-14-dev          # libFuzzer and clang's sanitizer runtimes
        llvm                        # llvm-symbolizer: source lines in sanitizer reports
        dpkg-dev                    # dpkg-shlibdeps: the Debian package's dependencies (cpack)
        g++-mingw-w64-x86-64-posix  # scripts/check-windows.sh
    )
fi

missing=()
for package in "${packages[@]}"; do
    status="$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)"
    if [ "$status" != "install ok installed" ]; then
        missing+=("$package")
    fi
done

if [ "${#missing[@]}" -eq 0 ]; then
    echo "install-deps: all ${#packages[@]} packages are installed"
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
