#!/usr/bin/env bash
# Runs the real program under Xvfb on a copy of the sample catalog and works in the catalog
# window with the keyboard only (xdotool), checking the saved file after each step.
# Usage: scripts/keyboard-check.sh [BUILD_DIR]
set -u
source "$(dirname "$0")/program-session.sh"
app=
trap 'kill "$app" "$server" 2>/dev/null; rm -rf "$work"' EXIT
"$build/src/ui/velvane" "$work/sample.vlv" 2>/dev/null &
app=$!
sleep 4
window=$(xdotool search --name "Velvane - sample.vlv" | head -1)
[ -n "$window" ] || { echo "the program did not open the catalog"; exit 1; }

# Without a window manager the window must be given the focus again after each message box.
keys() { xdotool windowfocus --sync "$window" 2>/dev/null; sleep 0.2; xdotool key --delay 150 "$@"; sleep 0.5; }
answer_yes() { sleep 0.8; xdotool key Return; sleep 0.5; }
count() { "$build/src/cli/velvane-cli" list "$work/sample.vlv" | wc -l; }
failures=0
expect() {
    local got; got=$(count)
    if [ "$got" = "$1" ]; then echo "ok   $2: $got textures"; else echo "FAIL $2: $got textures, expected $1"; failures=$((failures + 1)); fi
}

xdotool mousemove 14 160 click 1; sleep 0.3       # the first texture, and the focus to the grid
keys Right Right shift+Right; xdotool key Delete; answer_yes; keys ctrl+s
expect 15 "Right Right Shift+Right Delete, saved"
keys ctrl+z ctrl+s;       expect 17 "Ctrl+Z, saved"
keys ctrl+shift+z ctrl+s; expect 15 "Ctrl+Shift+Z, saved"
keys ctrl+z ctrl+y ctrl+s; expect 15 "Ctrl+Z Ctrl+Y, saved"
keys ctrl+z ctrl+s;       expect 17 "Ctrl+Z, saved"
keys ctrl+f; xdotool type --delay 80 marble; sleep 0.4
keys Down ctrl+a Delete; answer_yes; keys ctrl+s
expect 14 "Ctrl+F marble, Ctrl+A, Delete, saved"
keys Escape End shift+Home Delete; answer_yes; keys ctrl+s
expect 0 "Escape, End, Shift+Home, Delete, saved"
exit "$failures"
