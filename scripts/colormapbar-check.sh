#!/usr/bin/env bash
# Runs the real program under Xvfb and uses the band of the Color Map dialog with the mouse and
# keys of a real X server (xdotool): a double-click adds an entry, a drag moves it, Shift+Right
# steps it and Delete takes it away. What happened is read from the accessibility bus: the
# Position edit and the band's description. Pictures go to BUILD_DIR/colormapbar-check.
# Usage: scripts/colormapbar-check.sh [BUILD_DIR]
set -u
source "$(dirname "$0")/program-session.sh"
trap 'kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 PYTHONPATH=$root/scripts
dbus-run-session -- /usr/bin/python3 - "$build" "$work/sample.vlv" <<'PYTHON' 2>&1 |
import functools
import os
import sys
import time

import checksupport
from checksupport import (check, click, extents, find, keys_to as keys, program, text_of,
                          wait_for, window, xdotool)

BUILD, CATALOG = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
SHOTS = os.path.join(BUILD, "colormapbar-check")
screenshot = functools.partial(checksupport.screenshot, SHOTS)
# The band's own geometry: the picture starts 8 pixels in and is 320 wide; the markers hang
# under it.
LEFT, WIDTH, PICTURE_Y, MARKER_Y = 8, 320, 20, 60


def description(accessible):
    accessible.clear_cache()
    return accessible.description


def run():
    main_window = window("Velvane - sample.vlv")
    if not main_window:
        check(False, "the program shows the sample catalog")
        return
    keys(main_window, "n")  # Texture > New Simple...
    sheet = window("New Simple Texture")
    sheet_access = wait_for(lambda: find(program(), "dialog", "New Simple Texture"))
    if not (sheet and sheet_access):
        check(False, "New Simple opens the edit sheet")
        return
    click(find(sheet_access, "page tab", "Pigment"))
    procedural = wait_for(lambda: find(sheet_access, "radio button", "Procedural"), 5)
    click(procedural)
    button = wait_for(lambda: find(sheet_access, "push button", "Color Map..."), 5)
    if button is None:
        check(False, "the Pigment page has its Color Map... button")
        return
    click(button)
    colors = window("Color Map")
    access = wait_for(lambda: find(program(), "dialog", "Color Map"))
    band = access and wait_for(lambda: find(access, None, "Colour map"), 5)
    position = access and find(access, "text", "Position")
    if not (colors and band and position):
        check(False, "the Color Map dialog shows its band and Position edit")
        return
    box = extents(band)

    def at(where, y):
        return str(box.x + LEFT + round(where * WIDTH)), str(box.y + y)

    xdotool("mousemove", *at(0.5, PICTURE_Y), "click", "--repeat", "2", "--delay", "60", "1")
    added = wait_for(lambda: text_of(position) == "0.50", 5)
    check(bool(added) and description(band) == "Entry 2 of 3 selected, at position 0.50",
          "a double-click in the middle of the band adds an entry there and selects it",
          f"{text_of(position)!r}, {description(band)!r}")
    screenshot("1-added")

    xdotool("mousemove", *at(0.5, MARKER_Y), "mousedown", "1")
    for step in range(1, 11):
        time.sleep(0.05)
        xdotool("mousemove", *at(0.5 + step * 0.02, MARKER_Y))
    xdotool("mouseup", "1")
    moved = wait_for(lambda: text_of(position) == "0.70", 5)
    check(bool(moved) and description(band) == "Entry 2 of 3 selected, at position 0.70",
          "dragging the new entry's marker to 0.7 moves it there",
          f"{text_of(position)!r}, {description(band)!r}")
    screenshot("2-dragged")

    keys(colors, "shift+Right")
    check(wait_for(lambda: text_of(position) == "0.71", 5) is not None,
          "Shift+Right on the band moves the entry on by 0.01", repr(text_of(position)))
    keys(colors, "Delete")
    check(wait_for(lambda: description(band) == "Entry 2 of 2 selected, at position 1.00", 5)
          is not None, "Delete on the band takes the entry away", repr(description(band)))
    keys(colors, "Escape")


sys.exit(checksupport.run_program(BUILD, [CATALOG], run))
PYTHON
    grep -v "^dbus-daemon\|SpiRegistry daemon"
exit "${PIPESTATUS[0]}"
