#!/usr/bin/env bash
# Runs the real program under Xvfb and checks the edit loop by keyboard, mouse and the
# accessibility bus (see editloop-check.py): typed values in the next render, messages at the
# field, controls toggled by assistive technology.
# Usage: scripts/editloop-check.sh [BUILD_DIR]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
exec dbus-run-session -- /usr/bin/python3 "$root/scripts/editloop-check.py" "${1:-$root/build}"
