#!/usr/bin/python3
"""What a screen reader finds in a catalog window, read from the accessibility bus while the real
program runs (started by scripts/accessibility-check.sh): the textures as named list items with
their descriptions, the selection read and changed through the accessibility interface (the
list's table rows and the items' Toggle action) and by mouse and keys, the focus cell
announced, and commands acting on what was selected there.

Usage: accessibility-check.py VELVANE_CLI CATALOG (the catalog the program has open)
"""
import json
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

import checksupport
from checksupport import check, keys

CLI, CATALOG = sys.argv[1], sys.argv[2]


def textures_in_file():
    dump = subprocess.run([CLI, "dump", CATALOG], capture_output=True, text=True, check=True)
    return [(t["name"], t["description"]) for t in json.loads(dump.stdout)["textures"]]


def find(node, role, name=None):
    """The first node below `node` with the role (and name), not looking into lists' items."""
    return next((n for n in checksupport.nodes_below(node, role)
                 if name is None or n.name == name), None)


def program():
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == "Velvane":
                grid = find(app, "list", "Textures")
                if grid is not None:
                    return app, grid
        time.sleep(0.1)
    sys.exit("the catalog window did not show on the accessibility bus")


def states(node):
    return {pyatspi.stateToString(s) for s in node.getState().getStates()}


def selected_names(grid):
    # The list is a table of one column: its selected rows are the selected textures.
    return [grid.getChildAtIndex(row).name for row in grid.queryTable().getSelectedRows()]


def answer(key):
    """A key for the message box that has the keyboard now."""
    time.sleep(0.8)
    subprocess.run(["xdotool", "key", key])
    time.sleep(0.5)


def click(node):
    x, y, w, h = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(x + w // 2), str(y + h // 3), "click", "1"])
    time.sleep(0.5)


def settle(condition, seconds=5.0):
    end = time.time() + seconds
    while time.time() < end:
        if condition():
            return True
        time.sleep(0.1)
    return condition()


def announced_after(action, role="list item"):
    """Runs `action` and returns the names of the nodes reported as focused meanwhile."""
    focused = []

    def listener(event):
        if event.type.startswith("object:state-changed:focused") and not event.detail1:
            return
        try:
            if event.source.getRoleName() == role:
                focused.append(event.source.name)
        except Exception:
            pass

    pyatspi.Registry.registerEventListener(listener, "focus:", "object:state-changed:focused")

    def run():
        action()
        GLib.timeout_add(1500, lambda: pyatspi.Registry.stop() or False)
        return False

    GLib.timeout_add(100, run)
    pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(listener, "focus:", "object:state-changed:focused")
    return focused


def main():
    textures = textures_in_file()
    names = [name for name, _ in textures]
    app, grid = program()

    # Every texture is an item with its name, and its description as accessible description.
    check(grid.childCount == len(textures),
          f"the list 'Textures' has {grid.childCount} items for {len(textures)} textures")
    items = [grid.getChildAtIndex(i) for i in range(grid.childCount)]
    check([item.name for item in items] == names, "each item is named after its texture")
    check([item.description for item in items] == [text for _, text in textures],
          "each item's description is its texture's description")
    check(all(item.getRoleName() == "list item" and "selectable" in states(item)
              for item in items), "the items are selectable list items")

    # The mouse selects; the selection is read on the bus.
    click(items[2])
    check(settle(lambda: selected_names(grid) == [names[2]]),
          f"a click on '{names[2]}' selects it: {selected_names(grid)}")
    check("selected" in states(items[2]), "the clicked item has the selected state")

    # The keyboard moves the focus cell, and the item that gets it is announced.
    heard = announced_after(lambda: keys("Right"))
    check(names[3] in heard, f"Right announces '{names[3]}' as focused: {heard}")
    check(settle(lambda: selected_names(grid) == [names[3]]),
          f"Right selects '{names[3]}': {selected_names(grid)}")
    check("focused" in states(items[3]), "the focus cell has the focused state")

    # The selection changed through the accessibility interface is what commands act on: rows
    # of the table, and the items' own Toggle action.
    table = grid.queryTable()
    table.removeRowSelection(3)
    table.addRowSelection(1)
    toggle = items[4].queryAction()
    toggle.doAction([toggle.getName(i) for i in range(toggle.nActions)].index("Toggle"))
    check(settle(lambda: selected_names(grid) == [names[1], names[4]]),
          f"two items selected through the bus: {selected_names(grid)}")
    menu = find(app, "menu item", "Modify...")
    delete = find(app, "menu item", "Delete")
    check(settle(lambda: "enabled" in states(delete) and "enabled" not in states(menu)),
          "Delete is enabled and Modify is not for two selected textures")
    keys("Delete")
    answer("Return")  # Yes in "Delete Material"
    keys("ctrl+s")
    left = [name for name, _ in textures_in_file()]
    check(left == [n for i, n in enumerate(names) if i not in (1, 4)],
          f"Delete removed the two textures selected on the bus: {len(left)} left")
    check(settle(lambda: grid.childCount == len(names) - 2), "the list lost their items")

    keys("ctrl+z")
    keys("ctrl+s")
    check([name for name, _ in textures_in_file()] == names, "Ctrl+Z brought them back")
    check(settle(lambda: selected_names(grid) == [names[1], names[4]]),
          f"back as they were, selected: {selected_names(grid)}")
    table.removeRowSelection(1)
    table.removeRowSelection(4)
    check(settle(lambda: selected_names(grid) == [] and "enabled" not in states(delete)),
          "deselecting the rows on the bus disables Delete")
    return checksupport.failures


if __name__ == "__main__":
    sys.exit(main())
