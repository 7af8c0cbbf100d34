#!/usr/bin/env bash
# Times the whole start-up of the program, with a 10000-line display list
# against an empty data folder, the two in turn (A B A B ...) so that the
# machine's drift falls on both alike. Runs once on the offscreen platform
# and once on the real xcb platform under Xvfb, and prints the medians and
# their ratio for each; then the in-process cost of each table operation.
# Usage: bench/run-startup.sh [build-dir] [rounds]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
rounds=${2:-40}

if [ -z "${STARTUP_BENCH_INNER:-}" ]; then
    source scripts/ensure-packages.sh
    ensure_packages xvfb xauth
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$build" --target startup_bench -j"$(nproc)" >/dev/null
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    mkdir -p "$work/empty" "$work/full"
    # 10000 lines of the demo's real display list, repeated.
    awk '{ line[NR] = $0 } END { for (i = 0; i < 10000; i++) print line[i % NR + 1] }' \
        sample/ippan.csv >"$work/full/ippan.csv"
    export STARTUP_BENCH_INNER=1 STARTUP_BENCH_WORK=$work
    QT_QPA_PLATFORM=offscreen bash "$0" "$build" "$rounds"
    xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb bash "$0" "$build" "$rounds"
    QT_QPA_PLATFORM=offscreen RAVO_DIR="$work/full" "$build/bench/startup_bench" --operations
    exit 0
fi

bench="$(realpath "$build")/bench/startup_bench"
work=$STARTUP_BENCH_WORK
run_ms() { # data folder
    local start end
    start=$(date +%s%N)
    RAVO_DIR=$1 "$bench" 2>/dev/null
    end=$(date +%s%N)
    echo $(((end - start) / 1000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) / 1000 }'; }

for _ in 1 2 3; do run_ms "$work/empty" >/dev/null; run_ms "$work/full" >/dev/null; done # warm-up
: >"$work/empty.times"
: >"$work/full.times"
for _ in $(seq "$rounds"); do
    run_ms "$work/empty" >>"$work/empty.times"
    run_ms "$work/full" >>"$work/full.times"
done
empty=$(median <"$work/empty.times")
full=$(median <"$work/full.times")
awk -v p="$QT_QPA_PLATFORM" -v n="$rounds" -v e="$empty" -v f="$full" 'BEGIN {
    printf "%-9s %d rounds: empty folder %.1f ms, 10000-line list %.1f ms, ratio %.3f (the list adds %.1f%%)\n",
        p, n, e, f, f / e, (f / e - 1) * 100 }'
