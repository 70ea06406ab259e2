#!/usr/bin/env bash
# Runs the real program under Xvfb and checks the edit loop by keyboard, mouse and the
# accessibility bus (see editloop-check.py): typed values in the next render, messages at the
# field, controls toggled by assistive technology.
# Usage: scripts/editloop-check.sh [BUILD_DIR]
set -u
# Auto off: only the click on Render renders, so the picture shows what that click took.
extra_settings="Auto Preview=0"
source "$(dirname "$0")/program-session.sh"
trap 'kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
dbus-run-session -- /usr/bin/python3 "$root/scripts/editloop-check.py" "$build" "$work/sample.vlv" \
    2>&1 | grep -v "^dbus-daemon\|SpiRegistry daemon"
exit "${PIPESTATUS[0]}"
