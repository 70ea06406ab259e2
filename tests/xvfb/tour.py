"""Retakes the README's tour pictures from the real program, driven from the keyboard as a user
would: the start page, the main window with the sample catalog, the sample's "Green Glass" in the
edit sheet on its Finish page with the Preview beside it, the Color Map dialog of the sample's
"Rainbow Gradient" with a stop moved to 0.70, and the sample's "Veined Stone" in the Layered
Texture dialog."""

import os

from pictures import convert, folder, settled_picture
from session import Session, find, program, wait_for, xdotool


def run(build, out):
    out = folder(out)
    with Session(build, "tour", manager=False) as session:
        # Started without a catalog, the program shows its start page.
        process = session.start_program()
        window = session.window("Velvane", 20)
        xdotool("windowsize", "--sync", window, "770", "577")
        session.activate(window)
        convert(settled_picture(session, window, "start"), os.path.join(out, "start-page.png"),
                "+dither", "-colors", "128")
        process.terminate()
        process.wait(10)

    with Session(build, "tour", manager=False) as session:
        session.start_program(session.catalog)
        window = session.window("Velvane - sample.vlv", 20)
        xdotool("windowsize", "--sync", window, "1024", "720")
        session.activate(window)
        convert(settled_picture(session, window, "main"), os.path.join(out, "catalog.png"),
                "-resize", "720x", "+dither", "-colors", "192")
        grid = wait_for(lambda: find(program(), "list", "Textures"))

        def open_texture(name):
            """Shows only the texture of this name (Edit > Find) and opens it."""
            session.keys(window, "ctrl+f", "ctrl+a")
            session.type(window, name)
            if not wait_for(lambda: grid.childCount == 1, 10):
                raise RuntimeError(f"Find did not narrow the grid to \"{name}\"")
            session.keys(window, "Tab", "Right", "Return")

        open_texture("Green Glass")
        sheet = session.window("Modify Simple Texture")
        session.keys(sheet, "ctrl+Prior")  # from the General page round to the Finish page
        preview = session.window("Preview")
        preview_picture = settled_picture(session, preview, "preview")
        convert(settled_picture(session, sheet, "finish"), os.path.join(out, "finish-page.png"),
                "+dither", "-colors", "64")
        convert(preview_picture, os.path.join(out, "preview.png"), "-colors", "128")
        session.keys(sheet, "Escape")
        session.gone("Modify Simple Texture")

        # The Pigment page's Color Map dialog: the stop at 0.60 (the fourth line) moved to 0.70
        # by typing its position.
        open_texture("Rainbow Gradient")
        sheet = session.window("Modify Simple Texture")
        session.keys(sheet, "ctrl+Next", "alt+m")  # the Pigment page, its Color Map...
        colormap = session.window("Color Map")
        session.keys(colormap, "Home", "Down", "Down", "Down", "alt+p", "ctrl+a")
        session.type(colormap, "0.70")
        session.keys(colormap, "Tab")
        convert(settled_picture(session, colormap, "colormap"), os.path.join(out, "colormap.png"))
        session.keys(colormap, "Escape")
        session.gone("Color Map")
        session.keys(sheet, "Escape")
        session.gone("Modify Simple Texture")

        open_texture("Veined Stone")
        layered = session.window("Layered Texture")
        session.activate(layered)
        convert(settled_picture(session, layered, "layered"),
                os.path.join(out, "layered-texture.png"), "+dither", "-colors", "128")
