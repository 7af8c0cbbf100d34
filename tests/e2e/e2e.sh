#!/usr/bin/env bash
# End-to-end check in a real X window (Xvfb), driven with xdotool and read
# back with xclip from another process.
#  1. On the demo's display list: press "ネ", click and double-click table
#     cells, check the clipboard; type hiragana into the find and click
#     the row it found.
#  2. On a folder holding only the published workbooks: press "変換", check
#     the display list written, press "ネ" and click the top row.
# Screenshots of both go to ARTIFACT-DIR.
# Usage: e2e.sh PROGRAM DISPLAY-LIST WORKBOOK-DIR EXPECTED-LIST ARTIFACT-DIR
set -euo pipefail
program=$(realpath "$1")
display_list=$(realpath "$2")
workbooks=$(realpath "$3")
expected_list=$(realpath "$4")
artifacts=$(realpath -m "$5")
mkdir -p "$artifacts"

if [ -z "${E2E_INSIDE_XVFB:-}" ]; then
    export E2E_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

export QT_QPA_PLATFORM=xcb
export RAVO_DIR
pid=""
window=""
stop_program() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    [ -n "$pid" ] && wait "$pid" 2>/dev/null || true
    pid=""
    [ -n "${RAVO_DIR:-}" ] && rm -rf "$RAVO_DIR"
}
trap stop_program EXIT

start_program() { # the data folder, already filled
    RAVO_DIR=$1
    "$program" &
    pid=$!
    # The program's own window, whatever its title.
    window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" | head -1)
    sleep 0.5
}

fail() {
    echo "e2e: FAIL: $*" >&2
    import -window "$window" "$artifacts/e2e-failure.png" || true
    exit 1
}

source "$(dirname "$0")/clipboard.sh"

# Fixed layout: the "ネ" button is 40x40 at (250, 579), "変換" 71x21 at
# (487, 4). The table's rows start below its header at y = 55, so after a
# jump the match (the top row) is centred at y = 67 and the row after it at
# about 92. Column 0 spans x from about 50 to 300, column 1 from 300 to 550.
press_ne() { xdotool mousemove --window "$window" 270 599 click 1; sleep 0.3; }

folder=$(mktemp -d)
cp "$display_list" "$folder/ippan.csv"
start_program "$folder"
press_ne
xdotool mousemove --window "$window" 175 67 click 1 # top row, brand name
expect_clipboard "ネルボン錠１０ｍｇ" "click on the top row after ネ"
xdotool mousemove --window "$window" 420 92 click --repeat 2 --delay 80 1 # next row, generic
expect_clipboard "【般】ニトラゼパム錠５ｍｇ" "double click on the generic name below it"
# The find at the status bar's right end (y 662 to 679): hiragana typed
# into it find the katakana brand, which goes to the top row.
xdotool mousemove --window "$window" 465 670 click 1
sleep 0.2
xdotool type --delay 60 "こにーる"
sleep 0.3
xdotool mousemove --window "$window" 175 67 click 1
expect_clipboard "コニール錠２" "click on the top row after typing こにーる in the find"
import -window "$window" "$artifacts/e2e-screenshot.png"
stop_program

folder=$(mktemp -d)
cp "$workbooks"/*.xlsx "$folder/"
start_program "$folder"
xdotool mousemove --window "$window" 522 14 click 1 # 変換
for _ in $(seq 100); do
    [ -f "$RAVO_DIR/ippan.csv" ] && break
    sleep 0.1
done
cmp -s "$RAVO_DIR/ippan.csv" "$expected_list" || fail "変換 from the workbooks wrote another list"
sleep 0.5
press_ne
xdotool mousemove --window "$window" 175 67 click 1
expect_clipboard "ネイリンカプセル１００ｍｇ" "click on the top row after 変換 and ネ"
import -window "$window" "$artifacts/e2e-workbooks.png"
echo "e2e: passed (screenshots: $artifacts/e2e-screenshot.png, $artifacts/e2e-workbooks.png)"
