"""The inspector of Modify Source Texture used as a user would: POV-Ray's woods.inc imported as
source, T_Wood1 opened with a double-click, its first layer's pigment chosen in the outline, the
turbulence moved on its slider with the keyboard (only that number changes in the text, and the
Preview renders it), and Ctrl+Z bringing the text back."""

import os

from session import (Session, check, click, description, dialog, extents, find, program, text_of,
                     wait_for)
from session import run as output

LIBRARY = "/usr/share/povray-3.7/include/woods.inc"


def picture_of(session, frame, name):
    """A fingerprint of the pixels the Preview's picture shows now."""
    box = extents(frame)
    return output("convert", session.screenshot(name), "-crop",
                  f"{box.width}x{box.height}+{box.x}+{box.y}", "-format", "%#", "info:")


def run(build):
    with Session(build, "inspector") as session:
        catalog = os.path.join(session.home, "woods.vlv")
        output(session.tool("velvane-cli"), "import", catalog, LIBRARY, "--as-source",
               env=session.environment)
        if not check(os.path.exists(catalog), "woods.inc imports as source textures"):
            return
        session.start_program(catalog)
        window = session.window("Velvane - woods.vlv")
        if not check(window, "the program shows the catalog"):
            return
        wood = wait_for(lambda: find(program(), "list item", "T_Wood1", showing=False))
        if not check(wood, "T_Wood1 is in the catalog"):
            return
        session.keys(window, "ctrl+f")
        session.type(window, "T_Wood1")
        wood = wait_for(lambda: find(program(), "list item", "T_Wood1"))
        click(wood)
        session.keys(window, "Return")
        editor = session.window("Modify Source Texture")
        editor_access = dialog("Modify Source Texture")
        preview = dialog("Preview")
        if not check(editor and editor_access and preview,
                     "Return opens Modify Source Texture beside its Preview"):
            return
        text = find(editor_access, "text", "Text")
        frame = find(preview, "panel", "Picture") or find(preview, "filler", "Picture")
        layers = wait_for(lambda: [find(editor_access, None, "Layer 1: Texture"),
                                   find(editor_access, None, "Layer 2: Texture")])
        check(layers and all(layers), "the outline shows both layers of T_Wood1")
        pigment = wait_for(lambda: find(editor_access, None, "Pigment (Wood)"))
        click(pigment)
        slider = wait_for(lambda: find(editor_access, "slider", "Turbulence slider"))
        if not check(slider and text and frame, "the first layer's pigment shows its turbulence "
                     "on a slider"):
            return
        before = text_of(text)
        wait_for(lambda: description(frame) == "", 30)
        shown = picture_of(session, frame, "1-before")
        click(slider)
        session.keys(editor, "Home", "Page_Up")
        changed = wait_for(lambda: text_of(text) != before and text_of(text))
        expected = before.replace("wood turbulence 0.04 octaves", "wood turbulence 0.5 octaves", 1)
        check(changed == expected, "Home and PgUp on the slider write turbulence 0.5 and leave "
              "every other byte of the text as it was",
              "" if changed == expected else f"the text begins {changed[:120]!r}")
        rendered = wait_for(lambda: description(frame) == "" and
                            picture_of(session, frame, "2-changed") != shown, 30)
        check(rendered, "the Preview renders the change into a new picture",
              f"the picture says {description(frame)!r}")
        session.keys(editor, "ctrl+z")
        check(wait_for(lambda: text_of(text) == before), "Ctrl+Z in the inspector brings the "
              "text back as it was")
        session.screenshot("3-undone")
        session.keys(editor, "Escape")
        check(session.gone("Modify Source Texture"), "Escape closes the dialog")
