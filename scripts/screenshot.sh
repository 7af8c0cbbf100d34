# Starts the program in the current X display, waits for its window, saves a
# screenshot of it and ends the program. Usage: screenshot.sh PROGRAM PNG
set -euo pipefail
program=$1
png=$2
"$program" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" | head -1)
sleep 1 # let the first paint finish
import -window "$window" "$png"
