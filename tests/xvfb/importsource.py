"""Retakes the README's picture of POV-Ray's own textures imported in the desktop program: a new
catalog imports examples/library-selection.inc with Texture > Import Source... from the keyboard
(with approximations, thumbnails rendered by POV-Ray), and the main window is taken once the
summary is closed."""

import os

from pictures import convert, folder, settled_picture
from session import ROOT, Session, wait_for, xdotool


def run(build, out):
    out = folder(out)
    settings = {"Import Approximate": "1", "Tabbed Windows": "1"}
    with Session(build, "importsource", manager=False, settings=settings) as session:
        session.start_program()
        window = session.window("Velvane", 20)
        xdotool("windowsize", "--sync", window, "1000", "720")
        session.keys(window, "ctrl+n")
        session.window("Velvane - Catalog1", 10)
        # Texture > Import Source..., the file typed into the open dialog.
        session.keys(window, "alt+t", "i", delay=300)
        chooser = session.window("Import Source")
        session.type(chooser, os.path.join(ROOT, "examples", "library-selection.inc"))
        session.keys(chooser, "Return")
        # The summary comes up once every new texture has its thumbnail.
        summary = wait_for(lambda: [w for w in session.windows("Import Source") if w != chooser],
                           300)
        if not summary:
            raise RuntimeError("no summary of the import within 300 seconds")
        settled_picture(session, "root", "summary")
        session.keys(summary[0], "Escape")
        # Edit > Select None: the thumbnails without the selection's blue.
        session.keys(window, "alt+e", "n", delay=300)
        convert(settled_picture(session, window, "window"), os.path.join(out, "import-source.png"),
                "-resize", "720x", "+dither", "-colors", "192")
