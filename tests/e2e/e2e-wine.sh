#!/usr/bin/env bash
# End-to-end check of the Windows program in a real window under Wine, in
# the Japanese code page, driven with xdotool and read back with xclip
# through Wine's clipboard.
#  1. A Shift_JIS (CP932) display list in c:\ravo\: press "ネ", click the
#     top row's brand name and check the clipboard.
#  2. c:\ravo\ holding only the published workbooks: press "変換", check
#     that ippan.csv is the expected list in CP932, press "ネ", click.
# Screenshots of both go to ARTIFACT-DIR. Runs in the X display it is given,
# or starts one (Xvfb, -noreset).
# Usage: e2e-wine.sh WINE-RUN SDK PREFIX PROGRAM.exe DISPLAY-LIST WORKBOOK-DIR EXPECTED-LIST ARTIFACT-DIR
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-noreset -screen 0 1600x1200x24" bash "$0" "$@"
fi
wine_run=$1 sdk=$2 prefix=$3 program=$4
display_list=$(realpath "$5")
workbooks=$(realpath "$6")
expected_list=$(realpath "$7")
artifacts=$(realpath -m "$8")
mkdir -p "$artifacts"
export QT_QPA_PLATFORM=windows
unset RAVO_DIR # the program's own folder: c:\ravo\

ravo="$prefix/drive_c/ravo"
window=""
stop_program() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    window=""
}
trap stop_program EXIT

fail() {
    echo "e2e-wine: FAIL: $*" >&2
    [ -n "$window" ] && import -window "$window" "$artifacts/e2e-wine-failure.png" || true
    exit 1
}

start_program() {
    "$wine_run" "$sdk" "$prefix" "$program" >/dev/null 2>&1 &
    window=$(timeout 60 xdotool search --sync --onlyvisible --name '^MainWindow$' | head -1) ||
        fail "no window"
    sleep 1
}

source "$(dirname "$0")/clipboard.sh"

# The layout of the window, as in e2e.sh: "ネ" at (250, 579), "変換" at
# (487, 4), the top row after a jump centred at y = 67.
press_ne() { xdotool mousemove --window "$window" 270 599 click 1; sleep 0.5; }

# The prefix is made by the first program run.
"$wine_run" "$sdk" "$prefix" cmd /c exit >/dev/null 2>&1 || true

rm -rf "$ravo" && mkdir -p "$ravo"
iconv -f UTF-8 -t CP932 "$display_list" >"$ravo/ippan.csv"
start_program
press_ne
xdotool mousemove --window "$window" 175 67 click 1
expect_clipboard "ネルボン錠１０ｍｇ" "click on the top row after ネ"
import -window "$window" "$artifacts/e2e-wine-screenshot.png"
stop_program

rm -rf "$ravo" && mkdir -p "$ravo"
cp "$workbooks"/*.xlsx "$ravo/"
start_program
xdotool mousemove --window "$window" 522 14 click 1 # 変換
for _ in $(seq 150); do
    [ -f "$ravo/ippan.csv" ] && break
    sleep 0.2
done
iconv -f UTF-8 -t CP932 "$expected_list" | cmp -s - "$ravo/ippan.csv" ||
    fail "変換 from the workbooks wrote another list than the expected one in CP932"
sleep 1
press_ne
xdotool mousemove --window "$window" 175 67 click 1
expect_clipboard "ネイリンカプセル１００ｍｇ" "click on the top row after 変換 and ネ"
import -window "$window" "$artifacts/e2e-wine-workbooks.png"
echo "e2e-wine: passed (screenshots in $artifacts)"
