#!/usr/bin/env bash
# Builds the Debian package as a packager would and checks it: a Release
# build in build-package/, `cpack -G DEB`, lintian on the .deb, and Debian's
# hardening-check on the program as installed from the package. Exits
# non-zero when lintian reports an error or a warning, or when
# hardening-check fails.
#
#   scripts/package.sh            unpacks the package into build-package/root
#   scripts/package.sh --install  installs it on this machine with apt-get
#                                 (remove it again with: apt-get remove stream-panel)
#   JOBS=N                        parallel build jobs (default: all cores)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
jobs="${JOBS:-$(nproc)}"
build="$root/build-package"
install_on_machine=false
case "${1:-}" in
    --install) install_on_machine=true ;;
    "") ;;
    *)
        echo "usage: scripts/package.sh [--install]" >&2
        exit 2
        ;;
esac

# What building and checking the package needs; only the missing ones are
# installed.
packages=(cmake g++ make qt6-base-dev qt6-base-dev-tools libgl-dev dpkg-dev gzip
    lintian devscripts man-db)
missing=()
for package in "${packages[@]}"; do
    status="$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)"
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
if [ "${#missing[@]}" -gt 0 ]; then
    echo "package: installing ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

echo "==== build and cpack -G DEB"
rm -f "$build"/*.deb
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build "$build" -j "$jobs"
(cd "$build" && cpack -G DEB)
debs=("$build"/stream-panel_*.deb)
deb="${debs[0]}"
echo "package: $deb"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

status=0

echo
echo "==== lintian"
lintian_log="$build/lintian.log"
lintian --info --display-info "$deb" > "$lintian_log" 2>&1 || true
cat "$lintian_log"
if grep -qE '^[EW]: ' "$lintian_log"; then
    echo "lintian: errors or warnings (above)"
    status=1
else
    echo "lintian: no error and no warning"
fi

echo
if "$install_on_machine"; then
    echo "==== apt-get install $deb"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb"
    program=/usr/bin/stream_panel
    manual=(man -w stream_panel)
else
    echo "==== unpacking into $build/root"
    rm -rf "$build/root"
    dpkg-deb --extract "$deb" "$build/root"
    program="$build/root/usr/bin/stream_panel"
    manual=(man -w -l "$build/root/usr/share/man/man1/stream_panel.1.gz")
fi
echo "manual page: $("${manual[@]}")"

echo
echo "==== hardening-check $program"
# Control-flow protection is not required: the program is compiled with it,
# but Debian 12's C library start files (crti.o, Scrt1.o) are not, so no
# program linked on Debian 12 is marked as protected (/bin/ls is not either).
if hardening-check --nocfprotection "$program"; then
    echo "hardening-check: passed"
else
    echo "hardening-check: FAILED"
    status=1
fi

echo
if [ "$status" -ne 0 ]; then
    echo "package: FAILED"
else
    echo "package: $deb passes lintian and hardening-check"
fi
exit "$status"
