#!/usr/bin/env bash
# End-to-end check in a real X window: starts the program under Xvfb on the
# fixture data folder, presses "カ", clicks and double-clicks table cells
# with xdotool and reads the clipboard from another process with xclip.
# Usage: e2e.sh PROGRAM ARTIFACT-DIR
set -euo pipefail
program=$(realpath "$1")
artifacts=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$artifacts"

if [ -z "${E2E_INSIDE_XVFB:-}" ]; then
    export E2E_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

export QT_QPA_PLATFORM=xcb
export RAVO_DIR
RAVO_DIR=$(mktemp -d)
cp "$here/data/ippan.csv" "$RAVO_DIR/"
"$program" &
pid=$!
cleanup() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    rm -rf "$RAVO_DIR"
}
trap cleanup EXIT

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^MainWindow$' | head -1)
sleep 0.5

fail() {
    echo "e2e: FAIL: $*" >&2
    import -window "$window" "$artifacts/e2e-failure.png" || true
    exit 1
}

clipboard() { timeout 5 xclip -o -selection clipboard 2>/dev/null || true; }

expect_clipboard() { # expected text, what was done
    local actual=""
    for _ in $(seq 50); do
        actual=$(clipboard)
        [ "$actual" = "$1" ] && return 0
        sleep 0.1
    done
    fail "$2: clipboard holds '$actual', expected '$1'"
}

# Fixed layout: the "カ" button is 40x40 at (100, 459). The table's rows
# start below its header at y = 55; the view scrolls by whole rows, so once
# the look-ahead row (match + 15) has been brought into sight the top row is
# match + 1 and row match + k is centred at 42 + 25 k. Column 0 spans x from
# about 50 to 300, column 1 from 300 to 550.
xdotool mousemove --window "$window" 120 479 click 1
sleep 0.3
xdotool mousemove --window "$window" 175 67 click 1 # match + 1, brand name
expect_clipboard "カロナール錠３００" "click on the row after the first カ"

xdotool mousemove --window "$window" 420 92 click --repeat 2 --delay 80 1 # match + 2, generic
expect_clipboard "【般】アセトアミノフェン錠５００ｍｇ" "double click on a generic name"

import -window "$window" "$artifacts/e2e-screenshot.png"
echo "e2e: passed (screenshot: $artifacts/e2e-screenshot.png)"
