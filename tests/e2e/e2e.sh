#!/usr/bin/env bash
# End-to-end check in a real X window: starts the program under Xvfb on the
# demo's display list, presses "ネ", clicks and double-clicks table cells
# with xdotool and reads the clipboard from another process with xclip.
# Usage: e2e.sh PROGRAM DISPLAY-LIST ARTIFACT-DIR
set -euo pipefail
program=$(realpath "$1")
display_list=$(realpath "$2")
artifacts=$(realpath -m "$3")
mkdir -p "$artifacts"

if [ -z "${E2E_INSIDE_XVFB:-}" ]; then
    export E2E_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

export QT_QPA_PLATFORM=xcb
export RAVO_DIR
RAVO_DIR=$(mktemp -d)
cp "$display_list" "$RAVO_DIR/ippan.csv"
"$program" &
pid=$!
cleanup() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    rm -rf "$RAVO_DIR"
}
trap cleanup EXIT

# The program's own window, whatever its title.
window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" | head -1)
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

# Fixed layout: the "ネ" button is 40x40 at (250, 579). The table's rows
# start below its header at y = 55 and are 25 high, so after the jump the
# match (the top row) is centred at y = 67 and the row after it at 92.
# Column 0 spans x from about 50 to 300, column 1 from 300 to 550.
xdotool mousemove --window "$window" 270 599 click 1
sleep 0.3
xdotool mousemove --window "$window" 175 67 click 1 # top row, brand name
expect_clipboard "ネルボン錠１０ｍｇ" "click on the top row after ネ"

xdotool mousemove --window "$window" 420 92 click --repeat 2 --delay 80 1 # next row, generic
expect_clipboard "【般】ニトラゼパム錠５ｍｇ" "double click on the generic name below it"

import -window "$window" "$artifacts/e2e-screenshot.png"
echo "e2e: passed (screenshot: $artifacts/e2e-screenshot.png)"
