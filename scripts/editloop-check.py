#!/usr/bin/python3
"""Uses the real program on a virtual screen as a user would, through the keyboard, the mouse
and the accessibility bus, and checks the edit loop:

- numbers typed into the edit sheet, without leaving the field, are in the picture a click on
  the Preview's Render gives (the middle of the rendered sphere is measured on the screen);
- text that is no number is reported when the field is left, naming the field;
- check boxes and type buttons toggled through the accessible "Toggle" action (as assistive
  technology and voice control do) change the page as a click does;
- the sheet's pages turn with Ctrl+PgDn, Ctrl+Shift+Tab and the tabs' access keys.

Run through scripts/editloop-check.sh, which makes the program's settings and a virtual screen
and starts a session bus. Usage: editloop-check.py BUILD_DIR CATALOG. Pictures of each step go
to BUILD_DIR/editloop-check. Prints "ok" or "FAIL" per check; the exit status counts failures.
"""

import functools
import os
import subprocess
import sys
import time

import pyatspi

import checksupport
from checksupport import (check, click, extents, find, has, keys_to as keys, program,
                          text_of, wait_for, window, xdotool)

BUILD, CATALOG = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
SHOTS = os.path.join(BUILD, "editloop-check")
screenshot = functools.partial(checksupport.screenshot, SHOTS)


def type_text(target, text):
    xdotool("windowfocus", "--sync", target)
    xdotool("type", "--delay", "80", text)
    time.sleep(0.4)


def pixel(path, x, y):
    """The red, green and blue of one pixel of a picture."""
    text = subprocess.run(["convert", path, "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
                          capture_output=True, text=True).stdout
    colour = text.splitlines()[-1].split("(")[1].split(")")[0].split(",")
    return tuple(int(float(channel)) for channel in colour[:3])


# ---- the accessibility bus ----------------------------------------------------------------

def dialog(title):
    return wait_for(lambda: find(program(), "dialog", title))


def toggle(accessible):
    """Runs the control's accessible "Toggle" action; False when it has none."""
    action = accessible.queryAction()
    for index in range(action.nActions):
        if action.getName(index) == "Toggle":
            action.doAction(index)
            time.sleep(0.5)
            return True
    return False


# ---- the session ------------------------------------------------------------------------------

def run():
    main_window = window("Velvane - sample.vlv")
    check(bool(main_window), "the program shows the sample catalog")
    if not main_window:
        return
    keys(main_window, "n")  # Texture > New Simple...
    sheet = window("New Simple Texture")
    preview = window("Preview")
    check(bool(sheet and preview), "New Simple opens the edit sheet and the Preview beside it")
    if not (sheet and preview):
        return
    sheet_access = dialog("New Simple Texture")
    preview_access = dialog("Preview")

    # 1. Typed, not left, rendered: ambient 100 and diffuse 0 give the pure white of the pigment.
    # Everything by mouse and typing; the ambient light, typed last, is never left.
    click(find(sheet_access, "page tab", "Finish"))
    for field, text in (("Diffuse", "0"), ("Ambient", "100")):
        click(wait_for(lambda: find(sheet_access, "text", field), 5))
        keys(sheet, "ctrl+a")
        type_text(sheet, text)
    ambient = find(sheet_access, "text", "Ambient")
    check(has(ambient, pyatspi.STATE_FOCUSED), "the Ambient field still has the keyboard focus")
    render = find(preview_access, "push button", "Render...")
    frame = find(preview_access, "panel", "Picture") or find(preview_access, "filler", "Picture")
    if render is None or frame is None:
        check(False, "the Preview's Render button and picture are on the accessibility bus")
        return
    click(render)
    # The button is off while the render runs and the picture is marked until it arrives.
    started = wait_for(lambda: not has(render, pyatspi.STATE_ENABLED), 5)
    done = wait_for(lambda: has(render, pyatspi.STATE_ENABLED) and frame.description == "", 30)
    time.sleep(0.5)
    picture = extents(frame)
    middle = (picture.x + picture.width // 2, picture.y + 17 + (picture.height - 25) // 2)
    colour = pixel(screenshot("1-rendered"), *middle)
    check(bool(started and done) and min(colour) >= 250,
          "Render renders the numbers typed and not yet left",
          f"middle of the sphere {colour}, pure white expected")

    # 2. A field left with text that is no number: the message names the field at once, under
    # it and without a box to dismiss, and the keyboard goes on to the next control.
    text = "Crand: please enter a number from 0.0 to 2.0."
    keys(sheet, "alt+c", "ctrl+a")
    type_text(sheet, "abc")
    keys(sheet, "Tab")
    label = wait_for(lambda: find(sheet_access, "label", text) or
                     find(sheet_access, "static", text), 5)
    screenshot("2-message")
    check(label is not None, f"leaving Crand with \"abc\" says \"{text}\" under the field")
    check(find(program(), "alert", "Velvane") is None and
          find(program(), "dialog", "Velvane") is None, "no message box stops the typing")
    refraction = find(sheet_access, "check box", "Refraction")
    check(refraction is not None and has(refraction, pyatspi.STATE_FOCUSED),
          "Tab went on to the next control")
    keys(sheet, "alt+c", "ctrl+a")
    type_text(sheet, "0")
    keys(sheet, "Tab")
    check(wait_for(lambda: find(sheet_access, "label", text) is None and
                   find(sheet_access, "static", text) is None, 5) is not None,
          "the message goes once Crand holds a number")

    # 3. Controls toggled through the accessibility bus: the page follows their state.
    click(find(sheet_access, "page tab", "Pigment"))
    procedural = wait_for(lambda: find(sheet_access, "radio button", "Procedural"), 5)
    pattern = find(sheet_access, "combo box")
    check(pattern is not None and not has(pattern, pyatspi.STATE_ENABLED),
          "a new texture's pattern list is off")
    check(procedural is not None and toggle(procedural), "Procedural has a Toggle action")
    check(has(procedural, pyatspi.STATE_CHECKED) and has(pattern, pyatspi.STATE_ENABLED),
          "toggling Procedural turns the pattern list on")
    click(find(sheet_access, "page tab", "Finish"))
    refraction = wait_for(lambda: find(sheet_access, "check box", "Refraction"), 5)
    ior = find(sheet_access, "text", "IOR")
    check(ior is not None and not has(ior, pyatspi.STATE_ENABLED), "the IOR field is off")
    check(refraction is not None and toggle(refraction) and has(ior, pyatspi.STATE_ENABLED),
          "toggling Refraction turns the IOR field on")
    auto = find(preview_access, "check box", "Auto")
    check(auto is not None and toggle(auto) and
          wait_for(lambda: frame.description == "Rendering", 3) is not None,
          "toggling Auto renders with the busy mark on the last picture")
    screenshot("3-toggled")

    # 4. The pages from the keyboard.
    tabs = find(sheet_access, "page tab list")
    def page():  # the tab list is named after the page shown
        tabs.clear_cache()
        return tabs.name
    keys(sheet, "ctrl+Next")
    check(page() == "General", "Ctrl+PgDn turns from the last page to the first")
    keys(sheet, "alt+p")
    check(page() == "Pigment", "Alt+P opens the Pigment page")
    keys(sheet, "ctrl+shift+Tab")
    check(page() == "General", "Ctrl+Shift+Tab turns back a page")
    keys(sheet, "Escape")


if __name__ == "__main__":
    sys.exit(checksupport.run_program(BUILD, [CATALOG], run))
