#!/usr/bin/env bash
# Runs the real program under Xvfb with the accessibility bus on two copies of the sample catalog
# and checks with scripts/quit-check.py, by real keys and clicks, that quitting with both changed
# asks once, naming both, and that Cancel, Save All and Discard do what they say.
# Needs xvfb, xdotool, dbus, at-spi2-core and python3-pyatspi (scripts/install-deps.sh).
# Usage: scripts/quit-check.sh [BUILD_DIR]
set -u
extra_settings="Update Thumbnail=0"
source "$(dirname "$0")/program-session.sh"
trap 'kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
cp "$work/sample.vlv" "$work/first.vlv"
cp "$work/sample.vlv" "$work/second.vlv"
dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    launcher=$!
    sleep 1
    /usr/bin/python3 "$2/scripts/quit-check.py" "$0" "$1"
    status=$?
    kill "$launcher" 2>/dev/null
    exit $status
' "$build" "$work" "$root" 2>&1 | grep -v "^dbus-daemon\|SpiRegistry daemon"
exit "${PIPESTATUS[0]}"
