# What the end-to-end checks read back from the X clipboard; sourced by
# e2e.sh and e2e-wine.sh, which define fail.

clipboard() { timeout 5 xclip -o -selection clipboard 2>/dev/null || true; }

expect_clipboard() { # expected text, what was done
    local actual=""
    for _ in $(seq 50); do
        actual=$(clipboard)
        [ "$actual" = "$1" ] && return 0
        sleep 0.2
    done
    fail "$2: clipboard holds '$actual', expected '$1'"
}
