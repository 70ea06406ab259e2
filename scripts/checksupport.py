"""What the scripts that check the real program under Xvfb share: reporting checks and waiting
for a condition. Each check prints "ok" or "FAIL"; `failures` counts the failed ones and is the
scripts' exit status."""

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


def frame_id():
    """The X window of the program's main window, or None."""
    out = subprocess.run(["xdotool", "search", "--name", "^Velvane - "], capture_output=True,
                         text=True).stdout.split()
    return out[0] if out else None


def keys(*names, delay=150):
    """Types keys into the main window. Without a window manager the window must be given the
    keyboard before each key."""
    subprocess.run(["xdotool", "windowfocus", "--sync", frame_id()], stderr=subprocess.DEVNULL)
    time.sleep(0.2)
    subprocess.run(["xdotool", "key", "--delay", str(delay), *names])
    time.sleep(0.5)
