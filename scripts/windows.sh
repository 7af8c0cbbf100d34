#!/usr/bin/env bash
# The Windows build, made here: builds the program, its tests and its
# benchmarks with Debian's mingw-w64 against the Windows SDK (Qt 5 and
# KArchive built for Windows), runs the whole suite under Wine in the
# Japanese code page (CP932), the real-window check among it, packages the
# program as a zip and an installer in dist/, and tries the installer under
# Wine. The SDK comes from IPPAN_WIN_SDK (its folder, or its tarball
# ippan-win-sdk.tar.xz), or else from ../shared/win-sdk/ beside this
# checkout. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure-packages.sh

ensure_packages g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev \
    wine wine64 nsis cmake make xz-utils xvfb xauth xdotool xclip imagemagick fonts-noto-cjk

build=build-win64
jobs=$(nproc)

# The SDK's folder: given, or unpacked from a tarball into the build.
sdk_folder() {
    local given=${IPPAN_WIN_SDK:-}
    if [ -z "$given" ] && [ -f ../shared/win-sdk/ippan-win-sdk.tar.xz ]; then
        given=$(realpath ../shared/win-sdk/ippan-win-sdk.tar.xz)
    fi
    if [ -z "$given" ]; then
        echo "windows.sh: no Windows SDK. Set IPPAN_WIN_SDK to the SDK's folder or to its" \
            "tarball ippan-win-sdk.tar.xz; the README says how to make one." >&2
        return 1
    fi
    if [ -d "$given" ]; then
        [ -d "$given/qt5" ] && [ -d "$given/karchive" ] || {
            echo "windows.sh: $given holds no qt5/ and karchive/: not the Windows SDK" >&2
            return 1
        }
        realpath "$given"
        return 0
    fi
    [ -f "$given" ] || { echo "windows.sh: $given: no such file or folder" >&2; return 1; }
    local into=$PWD/$build/sdk stamp
    stamp=$(stat -c '%s %Y' "$given")
    if [ "$(cat "$into/.unpacked-from" 2>/dev/null)" != "$stamp" ]; then
        rm -rf "$into" && mkdir -p "$into"
        tar xJf "$given" -C "$into"
        echo "$stamp" >"$into/.unpacked-from"
    fi
    realpath "$into/ippan-win-sdk"
}

sdk=$(sdk_folder)
echo "=== $build: the Windows SDK in $sdk"
mkdir -p "$build"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64-toolchain.cmake \
    -DIPPAN_WIN_SDK="$sdk" -DCMAKE_BUILD_TYPE=Release -DIPPAN_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$jobs"

echo "=== $build: the suite under Wine (ANSI code page 932)"
# One X display for every window of the suite, large enough for the window
# at 150 %.
xvfb-run -a -s "-noreset -screen 0 1600x1200x24" \
    bash -c "cd $build && ctest --output-on-failure -j$jobs"

echo "=== $build: the zip and the installer"
rm -rf dist
(cd "$build" && cpack -C Release >/dev/null)
zip=$(ls dist/ippan-*-win64.zip)
setup=$(ls dist/ippan-*-win64-setup.exe)

echo "=== $build: the installer under Wine"
xvfb-run -a -s "-noreset -screen 0 1600x1200x24" \
    bash scripts/windows-install-check.sh "$setup" "$PWD/$build/wine-install" sample/published \
    tests/fixtures/ippan-20250814.csv

echo "=== Windows: packaged"
ls -l "$zip" "$setup"
echo "zip:       $PWD/$zip"
echo "installer: $PWD/$setup"
