"""The catalog window worked with the keyboard alone, the saved file checked after each step:
the arrows and Shift select, Delete deletes, Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z undo and redo,
Ctrl+F narrows the grid, Ctrl+A selects what it shows."""

from session import Session, check, click, find, program, selected_rows, wait_for

DELETE_BOX = "Delete Textures?"  # the title's pattern: one texture or more


def run(build):
    with Session(build, "keyboard") as session:
        session.start_program(session.catalog)
        window = session.window("Velvane - sample.vlv")
        grid = wait_for(lambda: find(program(), "list", "Textures"))
        if not check(window and grid, "the program shows the sample catalog"):
            return
        textures = session.textures_in(session.catalog)
        names = [texture["name"] for texture in textures]

        def press(*keys, shown=None, selected=None):
            """Keys, then the grid's count or selection they give."""
            session.keys(window, *keys)
            if shown is not None:
                return wait_for(lambda: grid.childCount == shown, 10)
            return wait_for(lambda: selected_rows(grid) == selected, 10)

        def delete(left):
            session.keys(window, "Delete")
            return session.answer(DELETE_BOX) and wait_for(lambda: grid.childCount == left, 10)

        def saved(count, what, steps_ok):
            session.keys(window, "ctrl+s")
            in_file = wait_for(lambda: len(session.textures_in(session.catalog)) == count, 10)
            check(steps_ok and in_file, f"{what}, saved: {count} textures",
                  f"{len(session.textures_in(session.catalog))} in the file")

        # A click on the first texture gives the grid the keyboard.
        click(grid.getChildAtIndex(0))
        first = wait_for(lambda: selected_rows(grid) == names[:1], 10)
        moved = first and press("Right", "Right", "shift+Right", selected=names[2:4])
        saved(15, "Right Right Shift+Right Delete", moved and delete(15))
        saved(17, "Ctrl+Z", press("ctrl+z", shown=17))
        saved(15, "Ctrl+Shift+Z", press("ctrl+shift+z", shown=15))
        saved(15, "Ctrl+Z Ctrl+Y", press("ctrl+z", shown=17) and press("ctrl+y", shown=15))
        saved(17, "Ctrl+Z", press("ctrl+z", shown=17))

        # Find looks in the names and the descriptions.
        marbles = [texture["name"] for texture in textures
                   if "marble" in (texture["name"] + texture["description"]).lower()]
        session.keys(window, "ctrl+f")
        session.type(window, "marble")
        narrowed = wait_for(lambda: grid.childCount == len(marbles), 10)
        chosen = narrowed and press("Down", "ctrl+a", selected=marbles)
        saved(17 - len(marbles), "Ctrl+F marble, Ctrl+A, Delete", chosen and delete(0))
        all_shown = press("Escape", shown=17 - len(marbles))
        chosen = all_shown and press("End", "shift+Home", selected=[n for n in names
                                                                  if n not in marbles])
        saved(0, "Escape, End, Shift+Home, Delete", chosen and delete(0))
