#!/usr/bin/env bash
# Builds the panel, lays out a demo workspace beside it and starts it there.
#
#   scripts/demo.sh [--windows] [WORKSPACE]
#
# WORKSPACE (or STREAM_PANEL_DEMO; default ~/stream-panel-demo) receives the
# panel in stream_panel/, the three stand-in engines in their folders, and the
# query engine's templates, plan folder and library (README.md shows the
# tree). Existing templates, plans, library and engines are never
# overwritten; only the panel itself is refreshed. --windows builds the
# Windows panel and engines and runs them under Wine, in the same workspace.
#
# Without a display the panel runs under Xvfb: a screenshot is saved as
# WORKSPACE/screenshot.png (screenshot-windows.png) and the panel ends after
# DEMO_SECONDS seconds (default 10; 0 keeps it running until Ctrl-C).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
preset=release exe="" shot=screenshot.png run=() options=()
if [ "${1:-}" = --windows ]; then
    shift
    "$root/scripts/install-deps.sh" test
    PANEL_QT_WINDOWS="$("$root/scripts/build-qt-windows.sh" | tail -n 1)"
    export PANEL_QT_WINDOWS
    preset=windows exe=.exe shot=screenshot-windows.png run=("$root/scripts/wine.sh")
    # Wine 8 draws no text in line edits with Qt's default GDI font engine.
    options=(-platform windows:fontengine=directwrite)
else
    "$root/scripts/install-deps.sh"
fi
workspace="${1:-${STREAM_PANEL_DEMO:-$HOME/stream-panel-demo}}"
build="$root/build/$preset"
cmake --preset "$preset" > /dev/null
cmake --build --preset "$preset" --target stream_panel standin_engine panel_paths
# A program's path in the build (Windows builds keep them all in its root).
built() { find "$build" -maxdepth 3 -name "$1$exe" -type f -print -quit; }

mkdir -p "$workspace/stream_panel"
workspace="$(cd "$workspace" && pwd)"
panel="$workspace/stream_panel"
demo="$root/demo/workspace/torvik_stream_query_engine"
# The panel's own table of locations, each relative to its folder.
engines=()
while read -r kind path; do
    case "$kind" in
        engine) engines+=("$panel/$path") ;;
        templates) templates="$panel/$path" ;;
        plans) plans="$panel/$path" ;;
        library) library="$panel/$path" ;;
    esac
done < <("${run[@]}" "$(built panel_paths)" | tr -d '\r')

mkdir -p "$templates" "$plans"
install -m 755 "$(built stream_panel)" "$panel/stream_panel$exe"
for template in "$demo/template/"*; do
    [ -e "$templates/$(basename "$template")" ] || cp "$template" "$templates/"
done
[ -e "$library" ] || cp "$demo/demo.qe_config" "$library"
for target in "${engines[@]}"; do
    mkdir -p "$(dirname "$target")"
    [ -e "$target" ] || install -m 755 "$(built standin_engine)" "$target"
done
echo "demo workspace: $workspace (the panel runs in stream_panel/; engines log to engine.log)"

cd "$panel"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "${run[@]}" "./stream_panel$exe" "${options[@]}"
fi

echo "No display found: running the panel under Xvfb."
headless()
{
    "$@" &
    local panel=$! window=""
    for _ in $(seq 100); do
        window="$(xwininfo -root -tree 2>/dev/null | awk '/"MainWin"/ { print $1; exit }')"
        [ -n "$window" ] && break
        sleep 0.3
    done
    sleep 2 # let the first paint finish
    # The whole screen, less its empty border: Wine's own X window holds
    # only the client area.
    import -window root -trim +repage "$SHOT"
    echo "screenshot of the panel: $SHOT"
    if [ "$SECONDS_LEFT" -gt 0 ]; then
        echo "the panel ends in $SECONDS_LEFT seconds (DEMO_SECONDS=0 keeps it running)"
        sleep "$SECONDS_LEFT"
        kill "$panel" 2>/dev/null || true
    fi
    wait "$panel" || true
}
SHOT="$workspace/$shot" SECONDS_LEFT="${DEMO_SECONDS:-10}" xvfb-run -a -s "-screen 0 1000x800x24" \
    bash -c "$(declare -f headless); headless \"\$@\"" _ "${run[@]}" "./stream_panel$exe" "${options[@]}"
