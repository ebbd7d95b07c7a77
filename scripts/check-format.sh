#!/usr/bin/env bash
# Checks that every C++ source of the panel follows .clang-format.
# Usage: scripts/check-format.sh        (names the files that differ, exits 1)
#        scripts/check-format.sh --fix  (reformats the files in place)
set -euo pipefail
cd "$(dirname "$0")/.."

format=${CLANG_FORMAT:-clang-format}
if ! command -v "$format" >/dev/null; then
    echo "check-format: $format not found (scripts/install-deps.sh test installs it)" >&2
    exit 1
fi

# Build folders and generated files are not the project's sources.
mapfile -d '' files < <(find . \( -path './build*' -o -path './out' -o -path './.git' \) -prune \
    -o -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)

if [[ ${1:-} == --fix ]]; then
    "$format" -i "${files[@]}"
    exit 0
fi
if ! report="$("$format" --dry-run --Werror "${files[@]}" 2>&1)"; then
    # One line per file; `clang-format --dry-run FILE` shows the places.
    echo "$report" | grep -oE '^[^:]+\.(cpp|h):' | sed 's/:$//' | sort -u | sed 's/^/  /' >&2
    echo "check-format: the files above differ from .clang-format;" \
        "scripts/check-format.sh --fix reformats them" >&2
    exit 1
fi
echo "check-format: ${#files[@]} files follow .clang-format"
