"""What a screen reader finds in a catalog window: the textures as named list items with their
descriptions, the selection read and changed through the accessibility interface (the list's
table rows and the items' Toggle action) and by mouse and keys, the focus cell announced, and
commands acting on what was selected there."""

import pyatspi
from gi.repository import GLib

from session import (Session, act, check, click, find, program, selected_rows, states,
                     wait_for)


def announced_after(action, expected, role="list item", seconds=5):
    """Runs `action` and returns the names of the nodes reported as focused until `expected`
    is among them, or for `seconds`."""
    heard = []

    def listener(event):
        if event.type.startswith("object:state-changed:focused") and not event.detail1:
            return
        try:
            if event.source.getRoleName() == role:
                heard.append(event.source.name)
        except Exception:
            return
        if expected in heard:
            pyatspi.Registry.stop()

    timed_out = []

    def time_up():
        timed_out.append(True)
        pyatspi.Registry.stop()
        return False

    kinds = ("focus:", "object:state-changed:focused")
    pyatspi.Registry.registerEventListener(listener, *kinds)
    GLib.idle_add(lambda: action() or False)
    limit = GLib.timeout_add_seconds(seconds, time_up)
    pyatspi.Registry.start()
    if not timed_out:
        GLib.source_remove(limit)
    pyatspi.Registry.deregisterEventListener(listener, *kinds)
    return heard


def run(build):
    with Session(build, "accessibility", settings={"Update Thumbnail": "0"}) as session:
        session.start_program(session.catalog)
        window = session.window("Velvane - sample.vlv")
        app = wait_for(program)
        grid = wait_for(lambda: find(app, "list", "Textures"))
        if not check(window and grid, "the catalog window shows on the accessibility bus"):
            return

        def in_file():
            return [texture["name"] for texture in session.textures_in(session.catalog)]

        textures = session.textures_in(session.catalog)
        names = [texture["name"] for texture in textures]

        # Every texture is an item with its name, and its description as accessible description.
        check(grid.childCount == len(textures),
              f"the list 'Textures' has {grid.childCount} items for {len(textures)} textures")
        items = [grid.getChildAtIndex(i) for i in range(grid.childCount)]
        check([item.name for item in items] == names, "each item is named after its texture")
        check([item.description for item in items] == [t["description"] for t in textures],
              "each item's description is its texture's description")
        check(all(item.getRoleName() == "list item" and "selectable" in states(item)
                  for item in items), "the items are selectable list items")

        # The mouse selects; the selection is read on the bus.
        click(items[2], at_height=1 / 3)
        check(wait_for(lambda: selected_rows(grid) == [names[2]], 5),
              f"a click on '{names[2]}' selects it", f"{selected_rows(grid)}")
        check("selected" in states(items[2]), "the clicked item has the selected state")

        # The keyboard moves the focus cell, and the item that gets it is announced.
        heard = announced_after(lambda: session.keys(window, "Right"), names[3])
        check(names[3] in heard, f"Right announces '{names[3]}' as focused", f"{heard}")
        check(wait_for(lambda: selected_rows(grid) == [names[3]], 5),
              f"Right selects '{names[3]}'", f"{selected_rows(grid)}")
        check("focused" in states(items[3]), "the focus cell has the focused state")

        # The selection changed through the accessibility interface is what commands act on:
        # rows of the table, and the items' own Toggle action.
        table = grid.queryTable()
        table.removeRowSelection(3)
        table.addRowSelection(1)
        act(items[4], "Toggle")
        check(wait_for(lambda: selected_rows(grid) == [names[1], names[4]], 5),
              "two items selected through the bus", f"{selected_rows(grid)}")
        modify = find(app, "menu item", "Modify...", showing=False)
        delete = find(app, "menu item", "Delete", showing=False)
        check(wait_for(lambda: "enabled" in states(delete) and "enabled" not in states(modify), 5),
              "Delete is enabled and Modify is not for two selected textures")
        session.keys(window, "Delete")
        answered = session.answer("Delete Textures")  # Yes
        check(answered and wait_for(lambda: grid.childCount == len(names) - 2, 10),
              "the list lost their items")
        session.keys(window, "ctrl+s")
        left = [n for i, n in enumerate(names) if i not in (1, 4)]
        check(wait_for(lambda: in_file() == left, 10),
              "Delete removed the two textures selected on the bus", f"{len(in_file())} left")

        session.keys(window, "ctrl+z")
        check(wait_for(lambda: grid.childCount == len(names), 10), "Ctrl+Z brings them back")
        session.keys(window, "ctrl+s")
        check(wait_for(lambda: in_file() == names, 10), "and Ctrl+S saves them")
        check(wait_for(lambda: selected_rows(grid) == [names[1], names[4]], 5),
              "back as they were, selected", f"{selected_rows(grid)}")
        table.removeRowSelection(1)
        table.removeRowSelection(4)
        check(wait_for(lambda: selected_rows(grid) == [] and "enabled" not in states(delete), 5),
              "deselecting the rows on the bus disables Delete")
