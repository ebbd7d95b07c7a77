#!/usr/bin/env bash
# Builds the Debian package as a packager would and checks it: the Release
# preset, `cpack --preset debian`, lintian on the .deb, and Debian's
# hardening-check on the program as the package installs it. Exits non-zero
# when lintian reports an error or a warning, or hardening-check fails.
#
#   scripts/package.sh            unpacks the package into build/release/root
#   scripts/package.sh --install  installs it with apt-get
#                                 (remove it again with: apt-get remove stream-panel)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=build/release

scripts/install-deps.sh package
cmake --preset release -DBUILD_TESTING=OFF
cmake --build --preset release
rm -f "$build"/stream-panel_*.deb
cpack --preset debian
deb="$(ls "$build"/stream-panel_*.deb)"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

status=0
lintian --info --display-info "$deb" | tee "$build/lintian.log" || true
if grep -qE '^[EW]: ' "$build/lintian.log"; then
    echo "lintian: errors or warnings (above)"
    status=1
fi

if [ "${1:-}" = --install ]; then
    apt-get install -y "$(realpath "$deb")"
    program=/usr/bin/stream_panel
    man -w stream_panel
else
    rm -rf "$build/root"
    dpkg-deb --extract "$deb" "$build/root"
    program="$build/root/usr/bin/stream_panel"
    man -w -l "$build/root/usr/share/man/man1/stream_panel.1.gz"
fi
# Control-flow protection is not required: Debian 12's C library start
# files are not built with it, so no program linked on Debian 12 has it.
hardening-check --nocfprotection "$program" || status=1

[ "$status" -eq 0 ] && echo "package: $deb passes lintian and hardening-check"
exit "$status"
