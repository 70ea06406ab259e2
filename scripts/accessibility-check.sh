#!/usr/bin/env bash
# Runs the real program under Xvfb with a session bus and the accessibility bus, on a copy of
# the sample catalog, and checks with scripts/accessibility-check.py what a screen reader finds
# in the catalog window and that the mouse, the keys and the accessibility interface agree.
# Needs xvfb, xdotool, dbus, at-spi2-core and python3-pyatspi (scripts/install-deps.sh).
# Usage: scripts/accessibility-check.sh [BUILD_DIR]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
work=$(mktemp -d)
server=
trap 'kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
mkdir -p "$XDG_CONFIG_HOME/Velvane" "$work/program"
cat > "$XDG_CONFIG_HOME/Velvane/Velvane.conf" <<CONF
[Settings]
Program Directory=$work/program
POV Executable=$(command -v povray)
Display Mailing List Dialog=0
Update Thumbnail=0
CONF
cp "$root/resources/shapes.dat" "$work/program/"
cp "$root/examples/sample.vlv" "$work/sample.vlv"
chmod u+w "$work/sample.vlv"

display=:$((50 + RANDOM % 40))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
server=$!
sleep 1
export DISPLAY=$display QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
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
