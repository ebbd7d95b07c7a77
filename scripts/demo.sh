#!/usr/bin/env bash
# Builds the panel, lays out a demo workspace beside it and starts it there.
#
#   scripts/demo.sh [WORKSPACE]
#
# WORKSPACE (or the variable STREAM_PANEL_DEMO; default ~/stream-panel-demo)
# receives, when missing:
#   stream_panel/                   the panel, started with this as its current directory
#   torvik_stream_gen_engine/       stand-in source engine
#   plotmir_qt_stream/              stand-in visual engine
#   torvik_stream_query_engine/     stand-in query engine, template/ with the four
#                                   plan templates, an empty queryplan/ and demo.qe_config
# An existing library file, plans, templates or engines are never overwritten;
# only the panel program itself is refreshed.
#
# Without a display ($DISPLAY and $WAYLAND_DISPLAY empty) the panel runs under
# Xvfb: a screenshot is saved as WORKSPACE/screenshot.png and the panel is ended
# after DEMO_SECONDS seconds (default 10; 0 keeps it running until Ctrl-C).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
workspace="${1:-${STREAM_PANEL_DEMO:-$HOME/stream-panel-demo}}"
jobs="${JOBS:-$(nproc)}"
build="$root/build"

exe=""
case "$(uname -s)" in
    MINGW* | MSYS* | CYGWIN*) exe=".exe" ;;
esac

"$root/scripts/install-deps.sh"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j "$jobs" --target stream_panel standin_engine panel_paths

# ---- workspace ----
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
done < <("$build/tools/panel_paths/panel_paths$exe")

mkdir -p "$templates" "$plans"
install -m 755 "$build/stream_panel$exe" "$panel/stream_panel$exe"
for template in "$demo/template/"*; do
    target="$templates/$(basename "$template")"
    [ -e "$target" ] || cp "$template" "$target"
done
[ -e "$library" ] || cp "$demo/demo.qe_config" "$library"
for target in "${engines[@]}"; do
    mkdir -p "$(dirname "$target")"
    [ -e "$target" ] || install -m 755 "$build/tools/standin_engine/standin_engine$exe" "$target"
done

echo
echo "demo workspace: $workspace"
echo "panel folder:   $workspace/stream_panel (its current directory)"
echo "engines log to: engine.log in each engine folder"
echo

cd "$workspace/stream_panel"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "./stream_panel$exe"
fi

# ---- no display: run under Xvfb and prove it with a screenshot ----
seconds="${DEMO_SECONDS:-10}"
echo "No display found (\$DISPLAY and \$WAYLAND_DISPLAY are empty): running the panel under Xvfb."

run_headless()
{
    local shot="$1" seconds="$2"
    ./stream_panel &
    local panel=$!
    local window=""
    for _ in $(seq 50); do
        window="$(xwininfo -root -tree 2>/dev/null | awk '/"MainWin"/ { print $1; exit }')"
        [ -n "$window" ] && break
        sleep 0.2
    done
    sleep 1 # let the first paint finish
    if [ -n "$window" ]; then
        import -window "$window" "$shot"
    else
        import -window root -trim "$shot"
    fi
    echo "screenshot of the panel: $shot"
    if [ "$seconds" -gt 0 ]; then
        echo "the panel ends in $seconds seconds (DEMO_SECONDS=0 keeps it running)"
        sleep "$seconds"
        kill "$panel" 2>/dev/null || true
    else
        echo "the panel runs until Ctrl-C"
    fi
    wait "$panel" || true
}

xvfb-run -a -s "-screen 0 800x700x24" \
    bash -c "$(declare -f run_headless); run_headless \"\$@\"" _ "$workspace/screenshot.png" "$seconds"
