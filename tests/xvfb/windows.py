"""Where the program's windows go, with openbox and without a window manager:

- the main window comes back to the same place and size at every start;
- at twice the scale on a 1600 x 1000 screen the edit sheet's OK and Cancel are on the screen
  and the Preview beside the sheet leaves them free;
- the Preview stays clear of the Layered Texture dialog when its first layer widens it;
- the Preview of a new texture and of a texture modified opens beside the sheet, above it and
  not covered, and stays put while the Color Map dialog opens (clear of it) and closes.

Windows are measured with xwininfo and through the accessibility bus."""

import pyatspi

from session import (Session, check, click, dialog, find, has, program, run as output,
                     selected_rows, wait_for, xdotool)
from session import extents as box_of

MANAGERS = {"openbox": True, "no window manager": False}


def folder(part, manager):
    return f"windows-{part}-" + ("openbox" if MANAGERS[manager] else "unmanaged")


class Rect:
    def __init__(self, x, y, width, height):
        self.x, self.y, self.width, self.height = x, y, width, height

    def intersects(self, other):
        return (self.x < other.x + other.width and other.x < self.x + self.width and
                self.y < other.y + other.height and other.y < self.y + self.height)

    def inside(self, other):
        return (self.x >= other.x and self.y >= other.y and
                self.x + self.width <= other.x + other.width and
                self.y + self.height <= other.y + other.height)

    def __eq__(self, other):
        return (self.x, self.y, self.width, self.height) == (other.x, other.y, other.width,
                                                             other.height)

    def __repr__(self):
        return f"{self.x},{self.y} {self.width}x{self.height}"


def extents(node):
    box = box_of(node)
    return Rect(box.x, box.y, box.width, box.height)


def xwininfo(*arguments):
    return output("xwininfo", *arguments)


def window_rect(wid):
    values = {}
    for line in xwininfo("-id", wid).splitlines():
        key, _, value = line.strip().partition(":")
        values[key] = value.strip()
    return Rect(int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))


def top_level(wid):
    """The child of the root window that holds this window: its frame under a window manager."""
    current = int(wid, 0)
    while True:
        root = parent = None
        for line in xwininfo("-id", hex(current), "-tree").splitlines():
            line = line.strip()
            if line.startswith("Root window id:"):
                root = int(line.split()[3], 16)
            elif line.startswith("Parent window id:"):
                parent = int(line.split()[3], 16)
        if parent is None or parent == root:
            return current
        current = parent


def stacked_windows():
    """The children of the root window, bottom first, with their places on the screen."""
    windows = []
    for line in xwininfo("-root", "-children").splitlines():
        parts = line.split()
        if not parts or not parts[0].startswith("0x") or len(parts) < 2:
            continue
        size, absolute = parts[-2], parts[-1]
        try:
            width, height = (int(v) for v in size.split("+")[0].split("x"))
            x, y = (int(v) for v in absolute.lstrip("+").replace("-", "+-").split("+") if v)
        except ValueError:
            continue
        windows.append((int(parts[0], 16), Rect(x, y, width, height)))
    return windows[::-1]  # xwininfo lists the top one first


def viewable(window):
    return "IsViewable" in xwininfo("-id", hex(window) if isinstance(window, int) else window)


def covering(wid):
    """The shown windows stacked above this window's frame that overlap it."""
    frame = top_level(wid)
    windows = stacked_windows()
    found = [index for index, (window, _) in enumerate(windows) if window == frame]
    if not found:
        return ["its frame is not on the screen"]
    place = windows[found[0]][1]
    return [f"{hex(window)} at {rect}" for window, rect in windows[found[0] + 1:]
            if rect.intersects(place) and viewable(window)]


class Windows:
    """The program in a session, with what each step waits for."""

    def __init__(self, session, manager):
        self.session = session
        self.manager = manager

    def expect(self, title, what):
        """The window of this title once it is on the screen (framed, under a window
        manager); when it does not show, `what` failed."""
        found = self.session.window(title)
        if found is None or not wait_for(lambda: self.placed(found), 10):
            check(False, f"{self.manager}: {what}")
            return None
        return found

    def placed(self, wid):
        if not viewable(wid):
            return False
        return not self.session.manager or "=" in output("xprop", "-id", wid,
                                                         "_NET_FRAME_EXTENTS")

    def open_sample(self, scale=None):
        self.session.start_program(self.session.catalog, scale=scale)
        return self.expect("Velvane - sample.vlv", "the program opens the sample catalog")

    def select_first(self, frame, scale=1):
        """A click on the first thumbnail; true once it is selected."""
        self.session.activate(frame)
        xdotool("mousemove", "--window", frame, str(int(75 * scale)), str(int(140 * scale)),
                "click", "1")
        grid = wait_for(lambda: find(program(), "list", "Textures"), 10)
        return grid and wait_for(lambda: len(selected_rows(grid)) == 1, 10)

    def quit(self, process, frame):
        # File > Exit from the keyboard, so the program saves its window's place as a user's
        # exit does.
        self.session.keys(frame, "alt+f")
        if wait_for(lambda: find(program(), "menu item", "Exit"), 5):
            xdotool("key", "x")
        return (wait_for(lambda: process.poll() is not None, 10) and
                self.session.gone("Velvane"))


def main_window_place(build, manager):
    with Session(build, folder("place", manager), manager=MANAGERS[manager]) as session:
        windows = Windows(session, manager)
        chosen = Rect(170, 120, 900, 640)
        for start in range(4):
            process = session.start_program()
            frame = windows.expect("Velvane", f"the main window shows at start {start}")
            if frame is None:
                return
            if start == 0:  # where the user leaves it
                xdotool("windowsize", frame, str(chosen.width), str(chosen.height))
                xdotool("windowmove", frame, str(chosen.x), str(chosen.y))
                check(wait_for(lambda: window_rect(frame) == chosen, 5),
                      f"{manager}: the main window goes to {chosen}", f"{window_rect(frame)}")
            else:
                check(wait_for(lambda: window_rect(frame) == chosen, 5),
                      f"{manager}: start {start} puts the main window where it was left "
                      f"({chosen})", f"{window_rect(frame)}")
            check(windows.quit(process, frame), f"{manager}: File > Exit ends the program")


def sheet_on_small_screen(build, manager):
    with Session(build, folder("small", manager), 1600, 1000, manager=MANAGERS[manager]) as session:
        windows = Windows(session, manager)
        frame = windows.open_sample(scale=2)
        if frame is None:
            return
        if windows.select_first(frame, 2):
            session.keys(frame, "m")
        sheet = dialog("Modify Simple Texture")
        framed = (windows.expect("Modify Simple Texture", "M opens the sheet") and
                  windows.expect("Preview", "the Preview opens beside the sheet"))
        if not (sheet and framed):
            check(False, f"{manager}: the sheet and the Preview open at twice the scale")
            return
        preview = dialog("Preview")
        ok = extents(find(sheet, "push button", "OK"))
        cancel = extents(find(sheet, "push button", "Cancel"))
        session.screenshot(f"sheet-x2-1600x1000-{manager}")
        # The accessibility bus measures in the program's own pixels: half the screen's.
        screen = Rect(0, 0, session.screen[0] // 2, session.screen[1] // 2)
        for name, button in (("OK", ok), ("Cancel", cancel)):
            check(button.inside(screen),
                  f"{manager}, x2 on 1600x1000: the sheet's {name} ({button}) is on the screen")
            check(wait_for(lambda: not button.intersects(extents(preview)), 5),
                  f"{manager}, x2 on 1600x1000: the Preview leaves {name} free",
                  f"{extents(preview)}")


def layered_dialog(build, manager):
    with Session(build, folder("layered", manager), manager=MANAGERS[manager]) as session:
        windows = Windows(session, manager)
        frame = windows.open_sample()
        if frame is None or not windows.select_first(frame):
            return
        session.keys(frame, "l")
        # New... in the dialog, and OK in the edit sheet it opens.
        layered = windows.expect("Layered Texture", "L opens the Layered Texture dialog")
        if layered is None:
            return
        session.keys(layered, "alt+n")
        sheet = dialog("New Simple Texture")
        ok = sheet and wait_for(lambda: find(sheet, "push button", "OK"), 10)
        if not check(ok, f"{manager}: New... opens the edit sheet"):
            return
        click(ok)
        wait_for(lambda: not find(program(), "dialog", "New Simple Texture"))
        preview = dialog("Preview")
        layered_access = dialog("Layered Texture")
        if not (preview and layered_access and
                windows.expect("Preview", "the first layer brings the Preview")):
            return
        check(wait_for(lambda: not extents(preview).intersects(extents(layered_access)), 5),
              f"{manager}: the Preview stands clear of the widened Layered Texture dialog",
              f"{extents(preview)}, {extents(layered_access)}")
        session.screenshot(f"layered-first-layer-{manager}")
        check(wait_for(lambda: not covering(session.window("Preview")), 5),
              f"{manager}: nothing covers the Layered Texture dialog's Preview",
              ", ".join(covering(session.window("Preview"))))


def preview_beside_sheet(build, manager):
    with Session(build, folder("preview", manager), manager=MANAGERS[manager]) as session:
        windows = Windows(session, manager)
        frame = windows.open_sample()
        if frame is None:
            return
        # A new texture's Preview: above the sheet, beside it.
        session.keys(frame, "n")
        sheet = windows.expect("New Simple Texture", "N opens the edit sheet")
        preview = windows.expect("Preview", "the new texture's Preview shows")
        if sheet is None or preview is None:
            return
        session.screenshot(f"new-texture-preview-{manager}")
        check(wait_for(lambda: not covering(preview), 5),
              f"{manager}: nothing covers the new texture's Preview", ", ".join(covering(preview)))
        check(wait_for(lambda: not window_rect(preview).intersects(window_rect(sheet)), 5),
              f"{manager}: the new texture's Preview stands beside the sheet",
              f"{window_rect(preview)}, {window_rect(sheet)}")
        session.keys(sheet, "Escape")
        session.gone("New Simple Texture")

        # A texture modified: the Color Map dialog from its Pigment page, from the keyboard.
        if windows.select_first(frame):
            session.keys(frame, "m")
        sheet = windows.expect("Modify Simple Texture", "M opens the edit sheet")
        preview = windows.expect("Preview", "the Preview shows beside the sheet")
        sheet_access = dialog("Modify Simple Texture")
        if sheet is None or preview is None or sheet_access is None:
            return
        placed = window_rect(preview)
        tabs = find(sheet_access, "page tab list")
        session.keys(sheet, "ctrl+Next")
        if wait_for(lambda: tabs.clear_cache() or tabs.name == "Pigment", 5):
            session.keys(sheet, "alt+m")
        color_map = windows.expect("Color Map", "Alt+M opens the Color Map dialog")
        if color_map is None:
            return
        session.screenshot(f"color-map-beside-preview-{manager}")
        check(wait_for(lambda: not covering(preview), 5),
              f"{manager}: nothing covers the Preview while the Color Map dialog is open",
              ", ".join(covering(preview)))
        check(wait_for(lambda: not window_rect(color_map).intersects(window_rect(preview)), 5),
              f"{manager}: the Color Map dialog opens clear of the Preview",
              f"{window_rect(color_map)}, {window_rect(preview)}")
        check(window_rect(preview) == placed,
              f"{manager}: the Preview stays at {placed} while the Color Map dialog opens",
              f"now at {window_rect(preview)}")
        session.keys(color_map, "Escape")
        check(session.gone("Color Map"), f"{manager}: Escape closes the Color Map dialog")
        # Once the sheet has the keyboard back the program has done with the closing.
        wait_for(lambda: has(sheet_access, pyatspi.STATE_ACTIVE), 5)
        check(window_rect(preview) == placed,
              f"{manager}: the Preview stays at {placed} once the Color Map dialog has closed",
              f"now at {window_rect(preview)}")
        check(not covering(preview), f"{manager}: nothing covers the Preview once the Color "
              "Map dialog has closed", ", ".join(covering(preview)))
        session.screenshot(f"color-map-closed-{manager}")


def run(build):
    for manager in MANAGERS:
        for part in (main_window_place, sheet_on_small_screen, layered_dialog,
                     preview_beside_sheet):
            part(build, manager)
