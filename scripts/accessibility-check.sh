#!/usr/bin/env bash
# Runs the real program under Xvfb with a session bus and the accessibility bus, on a copy of
# the sample catalog, and checks with scripts/accessibility-check.py what a screen reader finds
# in the catalog window and that the mouse, the keys and the accessibility interface agree.
# Needs xvfb, xdotool, dbus, at-spi2-core and python3-pyatspi (scripts/install-deps.sh).
# Usage: scripts/accessibility-check.sh [BUILD_DIR]
set -u
extra_settings="Update Thumbnail=0"
source "$(dirname "$0")/program-session.sh"
trap 'kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The program finds the accessibility bus when it starts, so the bus is up first.
dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    launcher=$!
    sleep 1
    "$0/src/ui/velvane" "$1/sample.vlv" 2>/dev/null &
    app=$!
    sleep 3
    /usr/bin/python3 "$2/scripts/accessibility-check.py" "$0/src/cli/velvane-cli" "$1/sample.vlv"
    status=$?
    kill "$app" "$launcher" 2>/dev/null
    exit $status
' "$build" "$work" "$root" 2>&1 | grep -v "^dbus-daemon\|SpiRegistry daemon"
exit "${PIPESTATUS[0]}"
