#!/usr/bin/env bash
# Builds and runs every test: once normally, once under AddressSanitizer and
# UndefinedBehaviorSanitizer, the form test under a multi-config generator,
# the fuzz target, and, where the Windows SDK is at hand, the Windows build
# under Wine with its packages (scripts/windows.sh). Every suite runs even
# when an earlier one failed to build; a summary closes the output. Exits
# non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure-packages.sh

ensure_packages qtbase5-dev qtbase5-dev-tools libkf5archive-dev cmake g++ make ninja-build \
    fonts-noto-cjk xvfb xauth xdotool xclip imagemagick clang libclang-rt-dev

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
summary=()

record() { # suite name, result
    summary+=("$1: $2")
    [ "$2" = passed ] || status=1
}
status=0

run_suite() { # build-dir, extra cmake arguments...
    local dir=$1
    shift
    echo "=== $dir: configure and build"
    if ! cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIPPAN_BUILD_BENCH=OFF "$@" \
        >/dev/null || ! cmake --build "$dir" -j"$jobs"; then
        record "$dir" "BUILD FAILED"
        return 0
    fi
    echo "=== $dir: tests"
    if (cd "$dir" && ctest --output-on-failure -j"$jobs"); then
        record "$dir" passed
    else
        record "$dir" "TESTS FAILED"
    fi
}

run_suite build-test -DIPPAN_BUILD_BENCH=ON # benchmarks are built, not run
run_suite build-asan -DIPPAN_SANITIZE=ON -DIPPAN_E2E=OFF

# A multi-config generator keeps the form header and the tests' paths honest.
echo "=== build-multi: Ninja Multi-Config, the form test"
if cmake -S . -B build-multi -G "Ninja Multi-Config" -DIPPAN_BUILD_BENCH=OFF >/dev/null &&
    cmake --build build-multi --config Release --target tst_layout &&
    (cd build-multi && ctest -C Release -R tst_layout --output-on-failure); then
    record build-multi passed
else
    record build-multi FAILED
fi

echo "=== fuzzing"
if bash scripts/fuzz.sh; then
    record fuzzing passed
else
    record fuzzing FAILED
fi

echo "=== windows: the Windows build, its suite under Wine, its packages"
if [ -n "${IPPAN_WIN_SDK:-}" ] || [ -f ../shared/win-sdk/ippan-win-sdk.tar.xz ]; then
    if bash scripts/windows.sh; then
        record windows passed
    else
        record windows FAILED
    fi
else
    echo "skipped: no Windows SDK (IPPAN_WIN_SDK unset, nothing in ../shared/win-sdk/)"
    summary+=("windows: skipped, no Windows SDK")
fi

echo "=== summary"
printf '%s\n' "${summary[@]}"
if [ $status -ne 0 ]; then
    echo "test.sh: FAILED"
else
    echo "test.sh: all suites passed"
fi
exit $status
