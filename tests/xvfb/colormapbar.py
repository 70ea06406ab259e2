"""The band of the Color Map dialog used with the mouse and keys of a real X server: a
double-click adds an entry, a drag moves it, Shift+Right steps it and Delete takes it away. What
happened is read from the accessibility bus: the Position edit and the band's description."""

from session import (Session, check, click, description, dialog, extents, find, text_of,
                     wait_for, xdotool)

# The band's own geometry: the picture starts 8 pixels in and is 320 wide; the markers hang
# under it.
LEFT, WIDTH, PICTURE_Y, MARKER_Y = 8, 320, 20, 60


def run(build):
    with Session(build, "colormapbar") as session:
        session.start_program(session.catalog)
        window = session.window("Velvane - sample.vlv")
        if not check(window, "the program shows the sample catalog"):
            return
        session.keys(window, "n")  # Texture > New Simple...
        sheet = dialog("New Simple Texture")
        if not check(sheet, "New Simple opens the edit sheet"):
            return
        click(wait_for(lambda: find(sheet, "page tab", "Pigment"), 5))
        click(wait_for(lambda: find(sheet, "radio button", "Procedural"), 5))
        button = wait_for(lambda: find(sheet, "push button", "Color Map..."), 5)
        if not check(button, "the Pigment page has its Color Map... button"):
            return
        click(button)
        colors = session.window("Color Map")
        access = dialog("Color Map")
        band = access and wait_for(lambda: find(access, None, "Colour map"), 5)
        position = access and find(access, "text", "Position")
        if not check(colors and band and position,
                     "the Color Map dialog shows its band and Position edit"):
            return
        box = extents(band)

        def at(where, y):
            return str(box.x + LEFT + round(where * WIDTH)), str(box.y + y)

        def shows(entry, count, where):
            return (text_of(position) == where and
                    description(band) == f"Entry {entry} of {count} selected, at position {where}")

        xdotool("mousemove", *at(0.5, PICTURE_Y), "click", "--repeat", "2", "--delay", "60", "1")
        check(wait_for(lambda: shows(2, 3, "0.50"), 5),
              "a double-click in the middle of the band adds an entry there and selects it",
              f"{text_of(position)!r}, {description(band)!r}")
        session.screenshot("1-added")

        xdotool("mousemove", *at(0.5, MARKER_Y), "mousedown", "1")
        for step in range(1, 11):
            xdotool("mousemove", *at(0.5 + step * 0.02, MARKER_Y))
        xdotool("mouseup", "1")
        check(wait_for(lambda: shows(2, 3, "0.70"), 5),
              "dragging the new entry's marker to 0.7 moves it there",
              f"{text_of(position)!r}, {description(band)!r}")
        session.screenshot("2-dragged")

        session.keys(colors, "shift+Right")
        check(wait_for(lambda: text_of(position) == "0.71", 5),
              "Shift+Right on the band moves the entry on by 0.01", repr(text_of(position)))
        session.keys(colors, "Delete")
        check(wait_for(lambda: shows(2, 2, "1.00"), 5), "Delete on the band takes the entry away",
              repr(description(band)))
        session.keys(colors, "Escape")
