#!/usr/bin/env bash
# Builds and runs every test: once normally, once under AddressSanitizer and
# UndefinedBehaviorSanitizer. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure-packages.sh

ensure_packages qtbase5-dev qtbase5-dev-tools cmake g++ make ninja-build fonts-noto-cjk \
    xvfb xauth xdotool xclip imagemagick clang libclang-rt-dev

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
status=0

run_suite() { # build-dir, extra cmake arguments...
    local dir=$1
    shift
    echo "=== $dir: configure and build"
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIPPAN_BUILD_BENCH=OFF "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    echo "=== $dir: tests"
    (cd "$dir" && ctest --output-on-failure -j"$jobs") || status=1
}

run_suite build-test -DIPPAN_BUILD_BENCH=ON # benchmarks are built, not run
run_suite build-asan -DIPPAN_SANITIZE=ON -DIPPAN_E2E=OFF

# A multi-config generator keeps the form header and the tests' paths honest.
echo "=== build-multi: Ninja Multi-Config, the form test"
cmake -S . -B build-multi -G "Ninja Multi-Config" -DIPPAN_BUILD_BENCH=OFF >/dev/null
cmake --build build-multi --config Release --target tst_layout
(cd build-multi && ctest -C Release -R tst_layout --output-on-failure) || status=1

echo "=== fuzzing"
bash scripts/fuzz.sh || status=1

if [ $status -ne 0 ]; then
    echo "test.sh: FAILED"
else
    echo "test.sh: all suites passed"
fi
exit $status
