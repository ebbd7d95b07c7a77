#!/usr/bin/env bash
# Installs what is missing, builds the panel and its tests into build/ and runs
# every test through CTest, then prints CTest's summary. Exits non-zero when
# any step fails; later steps still run, so one report shows everything.
#
#   scripts/test.sh             JOBS=N sets the parallel build and test jobs
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
jobs="${JOBS:-$(nproc)}"
build="$root/build"

failed=()
run_step()
{
    local name="$1"
    shift
    echo
    echo "==== $name"
    if "$@"; then
        echo "==== $name: passed"
    else
        echo "==== $name: FAILED"
        failed+=("$name")
    fi
}

unit_tests()
{
    rm -f "$build/ctest.log"
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release &&
        cmake --build "$build" -j "$jobs" &&
        ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$jobs" 2>&1 |
        tee "$build/ctest.log"
}

"$root/scripts/install-deps.sh" test

# One line per step; add new steps here.
run_step "build and CTest suite" unit_tests
run_step "code format" "$root/scripts/check-format.sh"
run_step "Windows compile check" "$root/scripts/check-windows.sh"
run_step "sanitizer suite" "$root/scripts/test-sanitizers.sh"
run_step "fuzzing, about a minute per target" "$root/scripts/fuzz.sh"

echo
echo "==== summary"
if [ -f "$build/ctest.log" ]; then
    # CTest's own summary: the pass figure and any failed tests.
    sed -n '/tests passed/,$p' "$build/ctest.log"
fi
if [ "${#failed[@]}" -gt 0 ]; then
    echo "FAILED steps: ${failed[*]}"
    exit 1
fi
echo "all steps passed"
