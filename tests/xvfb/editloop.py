"""The edit loop used as a user would, through the keyboard, the mouse and the accessibility bus:

- numbers typed into the edit sheet, without leaving the field, are in the picture a click on
  the Preview's Render gives (the middle of the rendered sphere is measured on the screen);
- text that is no number is reported when the field is left, naming the field;
- check boxes and type buttons toggled through the accessible "Toggle" action (as assistive
  technology and voice control do) change the page as a click does;
- the sheet's pages turn with Ctrl+PgDn, Ctrl+Shift+Tab and the tabs' access keys."""

import pyatspi

from session import (Session, act, check, click, description, dialog, extents, find, has,
                     program, text_of, wait_for)
from session import run as output


def pixel(path, x, y):
    """The red, green and blue of one pixel of a picture."""
    text = output("convert", path, "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-")
    colour = text.splitlines()[-1].split("(")[1].split(")")[0].split(",")
    return tuple(int(float(channel)) for channel in colour[:3])


def message(sheet, text):
    return find(sheet, "label", text) or find(sheet, "static", text)


def run(build):
    # Auto off: only the click on Render renders, so the picture shows what that click took.
    with Session(build, "editloop", settings={"Auto Preview": "0"}) as session:
        session.start_program(session.catalog)
        window = session.window("Velvane - sample.vlv")
        if not check(window, "the program shows the sample catalog"):
            return
        session.keys(window, "n")  # Texture > New Simple...
        sheet = session.window("New Simple Texture")
        sheet_access = dialog("New Simple Texture")
        preview_access = dialog("Preview")
        if not check(sheet and sheet_access and preview_access,
                     "New Simple opens the edit sheet and the Preview beside it"):
            return
        render_typed(session, sheet, sheet_access, preview_access)
        message_at_field(session, sheet, sheet_access)
        toggled_on_bus(session, sheet_access, preview_access)
        pages_from_keys(session, sheet, sheet_access)
        session.keys(sheet, "Escape")


def render_typed(session, sheet, sheet_access, preview_access):
    # Ambient 100 and diffuse 0 give the pure white of the pigment. Everything by mouse and
    # typing; the ambient light, typed last, is never left.
    click(find(sheet_access, "page tab", "Finish"))
    for field, text in (("Diffuse", "0"), ("Ambient", "100")):
        edit = wait_for(lambda: find(sheet_access, "text", field), 5)
        click(edit)
        wait_for(lambda: has(edit, pyatspi.STATE_FOCUSED), 5)
        session.keys(sheet, "ctrl+a")
        session.type(sheet, text)
        wait_for(lambda: text_of(edit) == text, 5)
    ambient = find(sheet_access, "text", "Ambient")
    check(has(ambient, pyatspi.STATE_FOCUSED), "the Ambient field still has the keyboard focus")
    render = find(preview_access, "push button", "Render...")
    frame = find(preview_access, "panel", "Picture") or find(preview_access, "filler", "Picture")
    if not check(render and frame, "the Preview's Render button and picture are on the bus"):
        return
    click(render)
    # The button is off while the render runs and the picture is marked until it arrives.
    started = wait_for(lambda: not has(render, pyatspi.STATE_ENABLED), 5)
    done = wait_for(lambda: has(render, pyatspi.STATE_ENABLED) and description(frame) == "", 30)
    picture = extents(frame)
    middle = (picture.x + picture.width // 2, picture.y + 17 + (picture.height - 25) // 2)
    white = wait_for(lambda: min(pixel(session.screenshot("1-rendered"), *middle)) >= 250, 5)
    check(started and done and white, "Render renders the numbers typed and not yet left",
          f"middle of the sphere {pixel(session.screenshot('1-rendered'), *middle)}, "
          "pure white expected")


def message_at_field(session, sheet, sheet_access):
    # A field left with text that is no number: the message names the field at once, under it
    # and without a box to dismiss, and the keyboard goes on to the next control.
    text = "Crand: please enter a number from 0.0 to 2.0."
    session.keys(sheet, "alt+c", "ctrl+a")
    session.type(sheet, "abc")
    session.keys(sheet, "Tab")
    label = wait_for(lambda: message(sheet_access, text), 5)
    session.screenshot("2-message")
    check(label is not None, f"leaving Crand with \"abc\" says \"{text}\" under the field")
    check(find(program(), "alert", "Velvane") is None and
          find(program(), "dialog", "Velvane") is None, "no message box stops the typing")
    refraction = find(sheet_access, "check box", "Refraction")
    check(wait_for(lambda: has(refraction, pyatspi.STATE_FOCUSED), 5),
          "Tab went on to the next control")
    session.keys(sheet, "alt+c", "ctrl+a")
    session.type(sheet, "0")
    session.keys(sheet, "Tab")
    check(wait_for(lambda: message(sheet_access, text) is None, 5),
          "the message goes once Crand holds a number")


def toggled_on_bus(session, sheet_access, preview_access):
    # Controls toggled through the accessibility bus: the page follows their state.
    click(find(sheet_access, "page tab", "Pigment"))
    procedural = wait_for(lambda: find(sheet_access, "radio button", "Procedural"), 5)
    pattern = find(sheet_access, "combo box")
    check(pattern is not None and not has(pattern, pyatspi.STATE_ENABLED),
          "a new texture's pattern list is off")
    check(procedural is not None and act(procedural, "Toggle"), "Procedural has a Toggle action")
    check(wait_for(lambda: has(procedural, pyatspi.STATE_CHECKED) and
                   has(pattern, pyatspi.STATE_ENABLED), 5),
          "toggling Procedural turns the pattern list on")
    click(find(sheet_access, "page tab", "Finish"))
    refraction = wait_for(lambda: find(sheet_access, "check box", "Refraction"), 5)
    ior = find(sheet_access, "text", "IOR")
    check(ior is not None and not has(ior, pyatspi.STATE_ENABLED), "the IOR field is off")
    check(refraction is not None and act(refraction, "Toggle") and
          wait_for(lambda: has(ior, pyatspi.STATE_ENABLED), 5),
          "toggling Refraction turns the IOR field on")
    auto = find(preview_access, "check box", "Auto")
    frame = find(preview_access, "panel", "Picture") or find(preview_access, "filler", "Picture")
    check(auto is not None and act(auto, "Toggle") and
          wait_for(lambda: description(frame) == "Rendering", 5),
          "toggling Auto renders with the busy mark on the last picture")
    session.screenshot("3-toggled")


def pages_from_keys(session, sheet, sheet_access):
    tabs = find(sheet_access, "page tab list")

    def turned(keys, name):  # the tab list is named after the page shown
        session.keys(sheet, keys)
        return wait_for(lambda: tabs.clear_cache() or tabs.name == name, 5)

    check(turned("ctrl+Next", "General"), "Ctrl+PgDn turns from the last page to the first")
    check(turned("alt+p", "Pigment"), "Alt+P opens the Pigment page")
    check(turned("ctrl+shift+Tab", "General"), "Ctrl+Shift+Tab turns back a page")
