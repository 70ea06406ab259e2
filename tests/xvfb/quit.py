"""Quitting with unsaved catalogs, with real keys and clicks: Ctrl+Q asks once for all of them,
naming each; Cancel keeps the program and the changes, Save All saves every one and quits,
Discard quits and leaves the files alone."""

import shutil

from session import Session, check, click, nodes_below, program, wait_for


def asking():
    """The quit question if it shows: its text and its buttons by name, else None."""
    for box in nodes_below(program(), "dialog") + nodes_below(program(), "alert"):
        labels = [label.name for label in nodes_below(box, "label")]
        if any("Save the changes" in text for text in labels):
            return "\n".join(labels), {b.name: b for b in nodes_below(box, "push button")}
    return None


def run(build):
    with Session(build, "quit", settings={"Update Thumbnail": "0"}) as session:
        catalogs = [session.copy_sample(name) for name in ("first.vlv", "second.vlv")]
        original = len(session.textures_in(catalogs[0]))

        def counts():
            return [len(session.textures_in(path)) for path in catalogs]

        def start():
            process = session.start_program(*catalogs)
            window = session.window("Velvane - .*")
            check(window and wait_for(program), "the program started")
            return process, window

        def change_both(window):
            """Deletes the first texture of each catalog from the keyboard."""
            def changed():
                return [grid for grid in nodes_below(program(), "list")
                        if grid.name == "Textures" and grid.childCount == original - 1]
            for done in range(1, len(catalogs) + 1):
                session.keys(window, "Home", "Delete")
                session.answer("Delete Texture")  # Yes
                wait_for(lambda: len(changed()) == done, 10)
                session.keys(window, "ctrl+Tab")
            return check(len(changed()) == len(catalogs), "a texture deleted in each catalog")

        def ask(window, what):
            session.keys(window, "ctrl+q")
            shown = wait_for(asking, 10)
            check(shown, f"{what}: Ctrl+Q asks")
            return shown

        def answer(process, window, button, expected):
            """Quits with Ctrl+Q, answers with `button`, and checks the program ends and the
            catalogs then hold `expected` textures."""
            shown = ask(window, f"before {button}")
            if not shown:
                return
            click(shown[1][button])
            check(wait_for(lambda: process.poll() is not None, 15), f"{button} quits the program")
            check(counts() == expected, f"after {button} the catalogs hold {expected} textures",
                  f"{counts()}")

        backups = [path + ".orig" for path in catalogs]
        for path, copy in zip(catalogs, backups):
            shutil.copy(path, copy)

        process, window = start()
        if not (window and change_both(window)):
            return
        shown = ask(window, "two changed catalogs")
        if shown:
            text, buttons = shown
            check("these 2 documents" in text and "first.vlv" in text and "second.vlv" in text,
                  "one question names both catalogs", text.replace("\n", " | "))
            check(sorted(buttons) == ["Cancel", "Discard", "Save All"],
                  "its buttons are Save All, Discard and Cancel", ", ".join(sorted(buttons)))
            click(buttons["Cancel"])
            check(wait_for(lambda: asking() is None, 5) and process.poll() is None
                  and session.windows("Velvane - .*"), "Cancel keeps the program running")
        # Save All saves both and quits; Discard quits and leaves both files as they were.
        answer(process, window, "Save All", [original - 1] * 2)
        for path, copy in zip(catalogs, backups):
            shutil.copy(copy, path)
        process, window = start()
        if window and change_both(window):
            answer(process, window, "Discard", [original] * 2)
