"""What the scripts that check the real program under Xvfb share: reporting checks, waiting for
a condition, real input through xdotool and reading the program on the accessibility bus. Each
check prints "ok" or "FAIL"; `failures` counts the failed ones and is the scripts' exit status."""

import os
import subprocess
import time

failures = 0


def check(ok, what, detail=""):
    global failures
    print(("ok   " if ok else "FAIL ") + what + (f" ({detail})" if detail else ""), flush=True)
    if not ok:
        failures += 1


def wait_for(condition, seconds=15.0):
    """The condition's first true value within `seconds`, else None."""
    end = time.time() + seconds
    while time.time() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.2)
    return None


def run_program(build, files, steps):
    """Starts the program of the build with `files`, runs `steps` and ends the program; returns
    the number of failed checks."""
    app = subprocess.Popen([os.path.join(build, "src", "ui", "velvane"), *files],
                           stderr=subprocess.DEVNULL)
    try:
        steps()
    finally:
        app.kill()
    return failures


# ---- the X server -----------------------------------------------------------------------------

def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.strip()


def window(name):
    """The X window of this title once it shows, or None."""
    return wait_for(
        lambda: xdotool("search", "--onlyvisible", "--name", f"^{name}$").split("\n")[0])


def frame_id():
    """The X window of the program's main window, or None."""
    out = xdotool("search", "--name", "^Velvane - ").split()
    return out[0] if out else None


def keys_to(target, *names, delay=150):
    """Types keys into an X window. Without a window manager the window must be given the
    keyboard before each key."""
    xdotool("windowfocus", "--sync", target)
    time.sleep(0.2)
    xdotool("key", "--delay", str(delay), *names)
    time.sleep(0.5)


def keys(*names, delay=150):
    """Types keys into the main window."""
    keys_to(frame_id(), *names, delay=delay)


def screenshot(folder, name):
    """The whole screen as FOLDER/NAME.png; returns the path."""
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name + ".png")
    subprocess.run(["import", "-window", "root", path], check=True)
    return path


# ---- the accessibility bus -----------------------------------------------------------------

def program():
    """The program on the accessibility bus, or None."""
    import pyatspi
    for application in pyatspi.Registry.getDesktop(0):
        if application is not None and application.name == "Velvane":
            return application
    return None


def has(accessible, state):
    """The control's state as it is now (not as the bus last heard of it)."""
    if accessible is None:
        return False
    accessible.clear_cache()
    return accessible.getState().contains(state)


def find(root, role, name=None, showing=True):
    """The first control below `root` of a role (any for None) and name (any for None), showing
    on the screen unless told otherwise."""
    import pyatspi

    def matches(accessible):
        try:
            return (role in (None, accessible.getRoleName()) and name in (None, accessible.name)
                    and (not showing or has(accessible, pyatspi.STATE_SHOWING)))
        except Exception:
            return False
    return pyatspi.findDescendant(root, matches) if root else None


def nodes_below(node, role):
    """Every node below an accessible `node` with the role, in tree order, not looking into
    lists' items (a catalog's thousands of textures)."""
    found = []
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is None:
            continue
        if child.getRoleName() == role:
            found.append(child)
        if child.getRoleName() != "list":
            found += nodes_below(child, role)
    return found


def extents(accessible):
    import pyatspi
    return accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)


def click(accessible):
    """A click of the mouse in the middle of a control."""
    if accessible is not None:
        box = extents(accessible)
        xdotool("mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2), "click",
                "1")
        time.sleep(0.4)


def text_of(accessible):
    """The text a control holds now."""
    accessible.clear_cache()
    text = accessible.queryText()
    return text.getText(0, text.characterCount)
