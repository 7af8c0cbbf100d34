# Builds the libFuzzer target with clang, ASan and UBSan, and runs it for a
# bounded time on a copy of the seed corpus. Called by test.sh. A finding
# prints the whole report and leaves the input that caused it in
# build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIPPAN_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
    >/dev/null
cmake --build "$build" --target fuzz_matching -j"$(nproc)"
corpus="$build/corpus"
artifacts="$build/artifacts"
log="$build/fuzz.log"
rm -rf "$corpus"
cp -r tests/fuzz/corpus "$corpus"
mkdir -p "$artifacts"
if ! ASAN_OPTIONS=detect_leaks=0 "$build/tests/fuzz/fuzz_matching" "$corpus" \
    -dict=tests/fuzz/matching.dict -max_total_time="$seconds" -max_len=4096 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 >"$log" 2>&1; then
    cat "$log"
    echo "fuzz_matching: FAILED; the failing input is in $artifacts/"
    exit 1
fi
grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
echo "fuzz_matching: ${seconds}s without a finding"
