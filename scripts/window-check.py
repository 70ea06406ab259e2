#!/usr/bin/python3
"""Runs the real program under Xvfb and checks where its windows go, without a window manager
and with one (openbox, when installed):

- the main window comes back to the same place and size at every start;
- at twice the scale on a 1600 x 1000 screen the edit sheet's OK and Cancel are on the screen
  and the Preview beside the sheet leaves them free;
- the Preview stays clear of the Layered Texture dialog when its first layer widens it;
- the Preview of a new texture and of a texture modified opens beside the sheet, above it and
  not covered, and stays put while the Color Map dialog opens (clear of it) and closes.

Windows are found and measured through the accessibility tree (AT-SPI), driven with xdotool.
Pictures are left in BUILD_DIR/window-check. Usage: scripts/window-check.py [BUILD_DIR]
Exit status: the number of failed checks.
"""

import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

import checksupport
from checksupport import check, wait_for

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def reexec_with_session_bus():
    # The accessibility tree travels over a session bus of its own.
    if os.environ.get("VELVANE_WINDOW_CHECK_BUS") != "1":
        os.environ["VELVANE_WINDOW_CHECK_BUS"] = "1"
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable] + sys.argv)


reexec_with_session_bus()
import pyatspi  # noqa: E402  (available only to the system python)

BUILD = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else os.path.join(ROOT, "build")
PROGRAM = os.path.join(BUILD, "src", "ui", "velvane")
PICTURES = os.path.join(BUILD, "window-check")
MANAGED = False  # whether a window manager runs on the current screen


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


def accessible(role, name, under=None):
    """The first shown accessible of the program with this role and name, or None."""
    def walk(node):
        try:
            if (node.getRoleName() == role and node.name == name and
                    node.getState().contains(pyatspi.STATE_SHOWING)):
                return node
            for index in range(node.childCount):
                found = walk(node.getChildAtIndex(index))
                if found:
                    return found
        except Exception:  # windows come and go while the tree is read
            pass
        return None
    if under is not None:
        return walk(under)
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        if app is not None and app.name and "velvane" in app.name.lower():
            found = walk(app)
            if found:
                return found
    return None


def extents(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return Rect(box.x, box.y, box.width, box.height)


def shown_windows(title):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                          capture_output=True, text=True).stdout.split()


def window_id(title):
    found = wait_for(lambda: shown_windows(title), 30.0)
    return found[0] if found else None


def expect_window(title, what):
    """The window of this title once it shows; when it does not, `what` failed."""
    found = window_id(title)
    if found is None:
        check(False, what)
    return found


def window_rect(wid):
    lines = subprocess.run(["xwininfo", "-id", wid], capture_output=True, text=True).stdout
    values = {}
    for line in lines.splitlines():
        key, _, value = line.strip().partition(":")
        values[key] = value.strip()
    return Rect(int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))


def xwininfo(*arguments):
    return subprocess.run(["xwininfo", *arguments], capture_output=True, text=True).stdout


def top_level(wid):
    """The child of the root window that holds this window: its frame under a window manager."""
    current = int(wid, 0)
    while True:
        lines = xwininfo("-id", hex(current), "-tree")
        root = parent = None
        for line in lines.splitlines():
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
    return "IsViewable" in xwininfo("-id", hex(window))


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


def xdotool(*arguments):
    subprocess.run(["xdotool", *arguments], check=False, stderr=subprocess.DEVNULL)


def activate(window):
    # Without a window manager nobody activates windows; the keyboard focus is set directly.
    if MANAGED:
        xdotool("windowactivate", "--sync", window)
    xdotool("windowfocus", "--sync", window)


class Session:
    """A virtual screen, maybe with a window manager, and a settings folder of its own."""

    def __init__(self, width, height, manager):
        global MANAGED
        MANAGED = manager = manager == "openbox"
        self.work = tempfile.mkdtemp(prefix="velvane-window-check-")
        self.display = f":{random.randint(50, 99)}"
        self.processes = []
        self.screen = Rect(0, 0, width, height)
        self.start(["Xvfb", self.display, "-screen", "0", f"{width}x{height}x24", "-nolisten",
                    "tcp"])
        os.environ["DISPLAY"] = self.display
        time.sleep(1.0)
        if manager:
            self.start(["openbox"])
            time.sleep(1.0)
        config = os.path.join(self.work, "config", "Velvane")
        os.makedirs(config)
        os.makedirs(os.path.join(self.work, "program"))
        shutil.copy(os.path.join(BUILD, "resources", "shapes.dat"),
                    os.path.join(self.work, "program"))
        with open(os.path.join(config, "Velvane.conf"), "w") as settings:
            settings.write("[Settings]\n"
                           f"Program%20Directory={self.work}/program\n"
                           f"POV%20Executable={shutil.which('povray') or ''}\n"
                           "Display%20Mailing%20List%20Dialog=0\n")
        self.catalog = os.path.join(self.work, "sample.vlv")
        shutil.copy(os.path.join(ROOT, "examples", "sample.vlv"), self.catalog)
        os.chmod(self.catalog, 0o644)

    def start(self, command, environment=None):
        process = subprocess.Popen(command, env=environment, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def program(self, files=(), scale=None):
        environment = dict(os.environ, XDG_CONFIG_HOME=os.path.join(self.work, "config"),
                           XDG_DATA_HOME=os.path.join(self.work, "data"),
                           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        environment.pop("QT_SCALE_FACTOR", None)
        if scale:
            environment["QT_SCALE_FACTOR"] = str(scale)
        return self.start([PROGRAM, *files], environment)

    def picture(self, name):
        os.makedirs(PICTURES, exist_ok=True)
        subprocess.run(["import", "-window", "root", "-display", self.display,
                        os.path.join(PICTURES, name + ".png")], check=False)

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
        shutil.rmtree(self.work, ignore_errors=True)


def press_in(title, key, what):
    """Presses `key` in the window of this title once it shows; false when it does not show."""
    found = expect_window(title, what)
    if found is None:
        return False
    activate(found)
    xdotool("key", key)
    return True


def quit_program(process, frame):
    # File > Exit from the keyboard, so the program saves its window's place as a user's exit does.
    activate(frame)
    time.sleep(0.3)
    xdotool("key", "alt+f")
    time.sleep(0.5)
    xdotool("key", "x")
    try:
        process.wait(10)
    except subprocess.TimeoutExpired:
        process.kill()
        return False
    return wait_for(lambda: not shown_windows("Velvane")) is not None


def check_main_window_place(manager):
    session = Session(1280, 1024, manager)
    try:
        chosen = None
        for start in range(4):
            process = session.program()
            frame = expect_window("Velvane", f"{manager}: the main window shows at start {start}")
            if frame is None:
                session.picture(f"main-window-missing-{manager}")
                print(subprocess.run(["xwininfo", "-root", "-tree", "-display", session.display],
                                     capture_output=True, text=True).stdout, flush=True)
                print("process", process.poll(), flush=True)
                return
            time.sleep(1.0)
            if start == 0:
                # Where the user leaves it.
                xdotool("windowsize", frame, "900", "640")
                xdotool("windowmove", frame, "170", "120")
                time.sleep(1.0)
                chosen = window_rect(frame)
            else:
                placed = window_rect(frame)
                check(placed == chosen,
                      f"{manager}: start {start} puts the main window at {placed}, "
                      f"where it was left ({chosen})")
            check(quit_program(process, frame), f"{manager}: File > Exit ends the program")
    finally:
        session.close()


def open_first_texture(session, frame, scale):
    # A click on the first thumbnail selects it; M modifies it.
    activate(frame)
    xdotool("mousemove", "--window", frame, str(int(75 * scale)), str(int(140 * scale)),
            "click", "1")
    time.sleep(0.5)
    xdotool("key", "m")


def check_sheet_on_small_screen(manager):
    session = Session(1600, 1000, manager)
    try:
        session.program([session.catalog], scale=2)
        frame = expect_window("Velvane - sample.vlv",
                              f"{manager}: the program opens the sample catalog")
        if frame is None:
            return
        time.sleep(1.0)
        open_first_texture(session, frame, 2)
        sheet = wait_for(lambda: accessible("dialog", "Modify Simple Texture"))
        preview = wait_for(lambda: accessible("dialog", "Preview"))
        if not sheet or not preview:
            check(False, f"{manager}: the sheet and the Preview open at twice the scale")
            return
        time.sleep(1.5)  # placed once the window manager has framed them
        ok = extents(accessible("push button", "OK", sheet))
        cancel = extents(accessible("push button", "Cancel", sheet))
        beside = extents(preview)
        session.picture(f"sheet-x2-1600x1000-{manager}")
        # The accessibility tree measures in the program's own pixels: half the screen's.
        screen = Rect(0, 0, session.screen.width // 2, session.screen.height // 2)
        for name, button in (("OK", ok), ("Cancel", cancel)):
            check(button.inside(screen),
                  f"{manager}, x2 on 1600x1000: the sheet's {name} ({button}) is on the screen")
            check(not button.intersects(beside),
                  f"{manager}, x2 on 1600x1000: the Preview ({beside}) leaves {name} free")
    finally:
        session.close()


def click_button(name, under, what):
    """Clicks the shown push button of this name in an accessible, as the user does."""
    button = wait_for(lambda: accessible("push button", name, under), 10.0)
    if button is None:
        check(False, what)
        return False
    box = extents(button)
    xdotool("mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2), "click", "1")
    return True


def open_sample(session, manager):
    """Starts the program on the sample catalog and gives its window the keyboard; the window,
    or None when it did not show."""
    session.program([session.catalog])
    frame = expect_window("Velvane - sample.vlv",
                          f"{manager}: the program opens the sample catalog")
    if frame is not None:
        time.sleep(1.0)
        activate(frame)
    return frame


def check_layered_dialog(manager):
    session = Session(1280, 1024, manager)
    try:
        frame = open_sample(session, manager)
        if frame is None:
            return
        xdotool("mousemove", "--window", frame, "75", "140", "click", "1")
        time.sleep(0.5)
        xdotool("key", "l")
        # New... in the dialog, and OK in the edit sheet it opens.
        if not press_in("Layered Texture", "alt+n",
                        f"{manager}: L opens the Layered Texture dialog"):
            return
        sheet = wait_for(lambda: accessible("dialog", "New Simple Texture"))
        if not sheet or not click_button("OK", sheet, f"{manager}: New... opens the edit sheet"):
            return
        wait_for(lambda: not accessible("dialog", "New Simple Texture"))
        preview = wait_for(lambda: accessible("dialog", "Preview"))
        dialog = accessible("dialog", "Layered Texture")
        time.sleep(1.5)
        if not preview or not dialog:
            check(False, f"{manager}: the first layer brings the Preview")
            return
        session.picture(f"layered-first-layer-{manager}")
        beside = extents(preview)
        widened = extents(dialog)
        check(not beside.intersects(widened),
              f"{manager}: the Preview ({beside}) stands clear of the widened Layered Texture "
              f"dialog ({widened})")
        above = covering(window_id("Preview"))
        check(not above, f"{manager}: nothing covers the Layered Texture dialog's Preview",
              ", ".join(above))
    finally:
        session.close()


def check_preview_beside_sheet(manager):
    session = Session(1280, 1024, manager)
    try:
        frame = open_sample(session, manager)
        if frame is None:
            return
        # A new texture's Preview: above the sheet, beside it.
        xdotool("key", "n")
        sheet = expect_window("New Simple Texture", f"{manager}: N opens the edit sheet")
        preview = expect_window("Preview", f"{manager}: the new texture's Preview shows")
        if sheet is None or preview is None:
            return
        time.sleep(1.5)
        session.picture(f"new-texture-preview-{manager}")
        above = covering(preview)
        check(not above, f"{manager}: nothing covers the new texture's Preview", ", ".join(above))
        check(not window_rect(preview).intersects(window_rect(sheet)),
              f"{manager}: the new texture's Preview ({window_rect(preview)}) stands beside the "
              f"sheet ({window_rect(sheet)})")
        activate(sheet)
        xdotool("key", "Escape")
        wait_for(lambda: not shown_windows("New Simple Texture"))

        # A texture modified: the Color Map dialog from its Pigment page, from the keyboard.
        open_first_texture(session, frame, 1)
        sheet = expect_window("Modify Simple Texture", f"{manager}: M opens the edit sheet")
        preview = expect_window("Preview", f"{manager}: the Preview shows beside the sheet")
        if sheet is None or preview is None:
            return
        time.sleep(1.5)
        placed = window_rect(preview)
        activate(sheet)
        xdotool("key", "ctrl+Next")  # the Pigment page
        time.sleep(0.5)
        xdotool("key", "alt+m")
        color_map = expect_window("Color Map", f"{manager}: Alt+M opens the Color Map dialog")
        if color_map is None:
            return
        time.sleep(1.5)
        session.picture(f"color-map-beside-preview-{manager}")
        above = covering(preview)
        check(not above, f"{manager}: nothing covers the Preview while the Color Map dialog is "
              "open", ", ".join(above))
        check(not window_rect(color_map).intersects(window_rect(preview)),
              f"{manager}: the Color Map dialog ({window_rect(color_map)}) opens clear of the "
              f"Preview ({window_rect(preview)})")
        check(window_rect(preview) == placed,
              f"{manager}: the Preview stays at {placed} while the Color Map dialog opens",
              f"now at {window_rect(preview)}")
        activate(color_map)
        xdotool("key", "Escape")
        check(wait_for(lambda: not shown_windows("Color Map")) is not None,
              f"{manager}: Escape closes the Color Map dialog")
        time.sleep(1.0)
        check(window_rect(preview) == placed,
              f"{manager}: the Preview stays at {placed} once the Color Map dialog has closed",
              f"now at {window_rect(preview)}")
        above = covering(preview)
        check(not above, f"{manager}: nothing covers the Preview once the Color Map dialog has "
              "closed", ", ".join(above))
        session.picture(f"color-map-closed-{manager}")
    finally:
        session.close()


def main():
    if not os.access(PROGRAM, os.X_OK):
        print(f"{PROGRAM} is not built")
        return 1
    # The accessibility registry runs before any program starts, so each one joins it.
    pyatspi.Registry.getDesktop(0).childCount
    managers = ["no window manager"]
    if shutil.which("openbox"):
        managers.append("openbox")
    for manager in managers:
        check_main_window_place(manager)
        check_sheet_on_small_screen(manager)
        check_layered_dialog(manager)
        check_preview_beside_sheet(manager)
    return checksupport.failures


if __name__ == "__main__":
    sys.exit(main())
