#!/usr/bin/env bash
# Runs a Windows program of the Windows build under Wine: CTest's emulator
# for the cross-built tests, and the demo's way to start the panel.
#
#   scripts/wine.sh PROGRAM.exe [ARGUMENTS...]
#
# Wine passes no QT_* variable to a Windows program, only WINEQT_* as QT_*,
# so each QT_* variable is handed on that way. The Qt and MinGW runtime DLLs
# are found through WINEPATH; one Wine prefix, kept beside the Qt cache, serves every run.
set -euo pipefail

program="$(realpath "$1")"
shift
qt="${PANEL_QT_WINDOWS:?set PANEL_QT_WINDOWS to the prefix scripts/build-qt-windows.sh prints}"
runtime="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")"
pthread="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")"
export WINEPATH="$qt/bin;$runtime;$pthread"
export WINEPREFIX="${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/stream_panel/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko installer prompts
export QT_QPA_FONTDIR="${QT_QPA_FONTDIR:-/usr/share/fonts/truetype/dejavu}"
while IFS='=' read -r name _; do
    export "WINE$name=${!name}"
done < <(env | grep -E '^QT_[A-Z_]+=')
# A QtTest program's "-o FILE,txt" log is shown once it ends, since under
# Wine its plain output would otherwise reach only the debugger.
log=""
for argument in "$@"; do
    [ "${previous:-}" = -o ] && log="${argument%,*}"
    previous="$argument"
done
status=0
wine "$program" "$@" || status=$?
[ -z "$log" ] || cat "$log"
exit "$status"
