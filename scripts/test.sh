#!/usr/bin/env bash
# The test command: installs what is missing, builds Qt for Windows once (it
# is cached; the first build takes about 20 minutes), then runs every check
# through CTest, CTest's summary last.
#
#   scripts/test.sh                 everything, Windows included
#   scripts/test.sh --linux-only    leaves out the Windows build and its tests
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/install-deps.sh test
if [ "${1:-}" != --linux-only ]; then
    PANEL_QT_WINDOWS="$(scripts/build-qt-windows.sh | tail -n 1)"
    export PANEL_QT_WINDOWS
fi
exec cmake --workflow --preset ci
