#!/usr/bin/env bash
# Builds the panel with AddressSanitizer and UndefinedBehaviorSanitizer (the
# "asan" preset) and runs the whole test suite in that build. Fails when a
# test fails or when any process, including engine stand-ins and helpers that
# the tests start as children, wrote a sanitizer report (leaks included).
#
#   scripts/test-sanitizers.sh            configure, build and test
#   JOBS=4 scripts/test-sanitizers.sh     more parallel build jobs
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
jobs="${JOBS:-2}"
build="$root/build/asan"

cmake --preset asan
cmake --build --preset asan -j "$jobs"

# Memory and leak reports go to files as well as failing the process, so that
# a report from a child whose output a test does not show is still seen here.
# (Undefined behaviour always halts the process that has it, and its report
# stays on that process's standard error.) Some tests run as an unprivileged
# user, hence a folder that everyone may write.
logdir="$build/sanitizer-logs"
rm -rf "$logdir"
mkdir -p "$logdir"
chmod 1777 "$logdir"

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:log_path=$logdir/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$logdir/ubsan"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"

status=0
ctest --test-dir "$build" --output-on-failure --no-tests=error --timeout 600 -j "$jobs" \
    2>&1 | tee "$build/ctest.log" || status=$?

if compgen -G "$logdir/*" > /dev/null; then
    echo "sanitizer reports:" >&2
    for report in "$logdir"/*; do
        echo "==== $report" >&2
        cat "$report" >&2
    done
    status=1
fi

if [ "$status" -ne 0 ]; then
    echo "sanitizer suite FAILED" >&2
else
    echo "sanitizer suite clean"
fi
exit "$status"
