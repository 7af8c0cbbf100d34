#!/usr/bin/env bash
# Times the whole start-up with a full 10000-line display list against an
# empty data folder, in one hyperfine run, then prints the in-process cost of
# each table operation. Usage: bench/run-startup.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure-packages.sh
ensure_packages hyperfine

build=${1:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target startup_bench -j"$(nproc)" >/dev/null
bench="$PWD/$build/bench/startup_bench"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/empty" "$work/full"
# 10000 realistic lines: katakana brand names with strengths, generic names.
kana=(アムロジン ロキソニン ガスター ムコスタ セルベックス メバロチン リピトール ノルバスク ブロプレス ディオバン)
for i in $(seq 0 9999); do
    name=${kana[$((i % 10))]}
    printf '%s錠%dｍｇ,【般】%s錠%dｍｇ\n' "$name" "$i" "$name" "$i"
done >"$work/full/ippan.csv"

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
hyperfine -N --warmup 3 --runs 30 --export-json "$work/startup.json" \
    -n "empty data folder" "env RAVO_DIR=$work/empty $bench" \
    -n "10000-line display list" "env RAVO_DIR=$work/full $bench"
medians=($(grep '"median"' "$work/startup.json" | tr -dc '0-9.\n'))
awk -v empty="${medians[0]}" -v full="${medians[1]}" 'BEGIN {
    printf "medians: empty folder %.2f ms, full list %.2f ms, ratio %.3f (list adds %.1f%%)\n",
        empty * 1000, full * 1000, full / empty, (full / empty - 1) * 100 }'
RAVO_DIR="$work/full" "$bench" --operations
