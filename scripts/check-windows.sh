#!/usr/bin/env bash
# Compile-checks the panel's Windows-only code that needs no Qt (the job
# object that ends the engines with the panel) with MinGW-w64, so that it is
# checked on every run although the tests run on Linux.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

compiler=${MINGW_CXX:-x86_64-w64-mingw32-g++}
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
printf '#include "launcher/enginejob_win.h"\nint main() { joinPanelJob(0); }\n' > "$out/check.cpp"
"$compiler" -std=c++17 -Wall -Wextra -Wpedantic -Werror -I. "$out/check.cpp" -o "$out/check.exe"
echo "check-windows: launcher/enginejob_win.h compiles and links for Windows"
