#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz, with clang) and runs each one for
# a bounded time, starting from the committed inputs. Fails on the first
# crash, sanitizer report, leak, hang or broken promise; the input that caused
# it is left in build-fuzz/artifacts/.
#
#   scripts/fuzz.sh                 about a minute per target (the test command)
#   scripts/fuzz.sh --long          30 minutes per target
#   FUZZ_SECONDS=600 scripts/fuzz.sh   any other time per target
#   scripts/fuzz.sh --long fuzz_librarytext   one target only
#
# New inputs that reach new code collect in build-fuzz/corpus/<target>; copy
# small interesting ones into tests/fuzz/corpus/<target> to keep them.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-fuzz"
seconds="${FUZZ_SECONDS:-60}"
if [ "${1:-}" = "--long" ]; then
    seconds="${FUZZ_SECONDS:-1800}"
    shift
fi
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
    targets=(fuzz_librarytext fuzz_plantemplate)
fi

mkdir -p "$build"
cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo > "$build/configure.log" 2>&1 \
    || { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" -j "${JOBS:-2}" --target "${targets[@]}"

mkdir -p "$build/artifacts"
status=0
for target in "${targets[@]}"; do
    starting="$root/tests/fuzz/corpus/${target#fuzz_}"
    work="$build/corpus/${target#fuzz_}"
    log="$build/$target.log"
    mkdir -p "$work"
    echo "== $target for ${seconds}s"
    if "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
        "$work" "$starting" > "$log" 2>&1; then
        runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
        files="$(find "$work" -type f | wc -l)"
        echo "$target: ${runs:-?} executions, corpus of $files inputs, no finding"
    else
        echo "$target: FINDING (log: $log)" >&2
        grep -E "ERROR|broken promise|runtime error|SUMMARY|Test unit written" "$log" >&2 || tail -40 "$log" >&2
        status=1
    fi
done
exit "$status"
