#!/usr/bin/env bash
# Times the whole panel process, from its start to a shown window that takes
# input, with libraries of several sizes, each run paired with one of the
# form alone: the median wall time of each over RUNS runs (default 5) and the
# peak memory, from /usr/bin/time.
#
#   bench/whole-process.sh BUILD_DIR [SIZES...]     default sizes: 0 1000 10000 100000 1000000
set -euo pipefail
build="$(realpath "$1")"; shift
sizes=("${@:-0 1000 10000 100000 1000000}")
runs="${RUNS:-5}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
mkdir -p "$work/panel" "$work/torvik_stream_query_engine/queryplan"
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
printf '%9s %9s %9s %9s %9s\n' names form_ms panel_ms ratio peak_MB
for n in ${sizes[*]}; do
    python3 - "$n" > "$work/torvik_stream_query_engine/demo.qe_config" <<'PY'
import sys
n = int(sys.argv[1])
sys.stdout.buffer.write(b"# query engine library\r\nNumberOfQueriesInLibrary=%d" % n
                        + b"".join(b"\r\nplan%06d.txt" % i for i in range(1, n + 1)))
PY
    form=(); panel=(); peak=()
    for _ in $(seq "$runs"); do
        form+=("$(cd "$work/panel" && "$build/bench/panel_startup" --form 2>/dev/null)")
        panel+=("$(cd "$work/panel" && /usr/bin/time -f '%M' -o "$work/peak" "$build/bench/panel_startup" 2>/dev/null)")
        peak+=("$(cat "$work/peak")")
    done
    f="$(printf '%s\n' "${form[@]}" | median)"; p="$(printf '%s\n' "${panel[@]}" | median)"
    m="$(printf '%s\n' "${peak[@]}" | median)"
    printf '%9d %9d %9d %9.2f %9.1f\n' "$n" "$f" "$p" "$(echo "$p / $f" | bc -l)" "$(echo "$m / 1024" | bc -l)"
done
