"""What the checks of the real program on a virtual screen share: a session (Xvfb, openbox
unless told otherwise, and the program with a fresh home under the build folder), waiting for
conditions, real input through xdotool, and reading the program on the accessibility bus.

The runner (run.py) starts every check inside a session bus of its own (dbus-run-session), on
which the accessibility bus is activated the first time it is asked for. Each check prints "ok"
or "FAIL" per step; `failures` counts the failed ones."""

import json
import os
import shutil
import subprocess
import time

import pyatspi

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SAMPLE = os.path.join(ROOT, "examples", "sample.vlv")

passes = 0
failures = 0


def check(ok, what, detail="", known_fault=None):
    """Reports a step. A step whose failure is a program fault already reported (`known_fault`
    says which) is marked but not counted while the fault lasts."""
    global passes, failures
    if ok:
        passes += 1
    elif known_fault:
        detail += f"; known fault, not counted: {known_fault}"
    else:
        failures += 1
    mark = "ok   " if ok else "FAIL "
    print(mark + what + (f" ({detail.lstrip('; ')})" if detail else ""), flush=True)
    return bool(ok)


def wait_for(condition, seconds=15.0):
    """The condition's first true value within `seconds`, else None. A condition that raises
    counts as false: windows come and go on the accessibility bus while it is read."""
    end = time.monotonic() + seconds
    while True:
        try:
            value = condition()
        except Exception:
            value = None
        if value or time.monotonic() >= end:
            return value or None
        time.sleep(0.1)


def run(*command, **options):
    """A command's standard output, stripped; it may not run for more than 30 seconds."""
    return subprocess.run(command, capture_output=True, text=True, timeout=30,
                          **options).stdout.strip()


def xdotool(*args):
    return run("xdotool", *args)


# ---- the session ------------------------------------------------------------------------------

class Session:
    """A virtual screen of its own, with openbox when `manager`, and a home folder of its own
    at BUILD/xvfb/NAME (emptied first, left behind with the program's output and the pictures
    taken) holding the program's settings, a copy of the sample catalog and the side files."""

    def __init__(self, build, name, width=1280, height=1024, manager=True, settings=None):
        self.build = os.path.abspath(build)
        self.name = name
        self.manager = manager
        self.screen = (width, height)
        self.work = os.path.join(self.build, "xvfb", name)
        shutil.rmtree(self.work, ignore_errors=True)
        self.home = os.path.join(self.work, "home")
        self.pictures = os.path.join(self.work, "pictures")
        self.processes = []
        self.environment = self._environment()
        self._write_settings(settings or {})
        self.catalog = self.copy_sample("sample.vlv")
        self._log = open(os.path.join(self.work, "output.txt"), "w")

    def _environment(self):
        environment = dict(os.environ, HOME=self.home, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        for variable, folder in (("XDG_CONFIG_HOME", ".config"), ("XDG_DATA_HOME", ".local/share"),
                                 ("XDG_CACHE_HOME", ".cache"), ("XDG_RUNTIME_DIR", "runtime")):
            environment[variable] = os.path.join(self.home, folder)
            os.makedirs(environment[variable], mode=0o700)
        for variable in ("QT_SCALE_FACTOR", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY"):
            environment.pop(variable, None)
        return environment

    def _write_settings(self, extra):
        program_dir = os.path.join(self.home, "program")
        os.makedirs(program_dir)
        shutil.copy(os.path.join(self.build, "resources", "shapes.dat"), program_dir)
        settings = {"Program Directory": program_dir,
                    "POV Executable": shutil.which("povray") or "",
                    "Display Mailing List Dialog": "0", **extra}
        folder = os.path.join(self.environment["XDG_CONFIG_HOME"], "Velvane")
        os.makedirs(folder)
        with open(os.path.join(folder, "Velvane.conf"), "w") as file:
            file.write("[Settings]\n")
            for key, value in settings.items():
                file.write(f"{key.replace(' ', '%20')}={value}\n")

    def copy_sample(self, name):
        path = os.path.join(self.home, name)
        shutil.copy(SAMPLE, path)
        os.chmod(path, 0o644)
        return path

    def __enter__(self):
        self._start_screen()
        # The accessibility bus is up before the program starts, which looks for it only then.
        wait_for(lambda: pyatspi.Registry.getDesktop(0).childCount >= 0, 10)
        return self

    def __exit__(self, *_):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        self._log.close()

    def _start_screen(self):
        # Xvfb takes a free display itself and writes its number once it is ready.
        read, write = os.pipe()
        width, height = self.screen
        self._start(["Xvfb", "-displayfd", str(write), "-screen", "0", f"{width}x{height}x24",
                     "-nolisten", "tcp", "-noreset"], pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as display:
            number = display.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        os.environ["DISPLAY"] = self.environment["DISPLAY"] = ":" + number
        if self.manager:
            self._start(["openbox", "--sm-disable"])
            if not wait_for(lambda: "window id #" in run("xprop", "-root",
                                                         "_NET_SUPPORTING_WM_CHECK"), 10):
                raise RuntimeError("openbox did not start")

    def _start(self, command, environment=None, **options):
        process = subprocess.Popen(command, env=environment or self.environment,
                                   stdout=self._log, stderr=subprocess.STDOUT, **options)
        self.processes.append(process)
        return process

    def start_program(self, *files, scale=None):
        """Starts the program on `files`; returns its process."""
        environment = dict(self.environment)
        if scale:
            environment["QT_SCALE_FACTOR"] = str(scale)
        return self._start([self.tool("velvane"), *files], environment)

    def tool(self, name):
        return os.path.join(self.build, "src", "cli" if name == "velvane-cli" else "ui", name)

    def textures_in(self, path):
        """The textures of a catalog file as velvane-cli dumps them."""
        dump = run(self.tool("velvane-cli"), "dump", path, env=self.environment)
        return json.loads(dump)["textures"]

    # ---- windows and keys --------------------------------------------------------------------

    def window(self, title, seconds=15.0):
        """The X window of this title once it shows, or None."""
        found = wait_for(lambda: self.windows(title), seconds)
        return found[0] if found else None

    def windows(self, title):
        return xdotool("search", "--onlyvisible", "--name", f"^{title}$").split()

    def gone(self, title, seconds=15.0):
        return wait_for(lambda: not self.windows(title), seconds) is not None

    def activate(self, window):
        """Gives the window the keyboard; a window manager is asked to activate it first."""
        if self.manager:
            xdotool("windowactivate", "--sync", window)
        xdotool("windowfocus", "--sync", window)

    def keys(self, window, *names, delay=100):
        self.activate(window)
        xdotool("key", "--delay", str(delay), *names)

    def type(self, window, text):
        self.activate(window)
        xdotool("type", "--delay", "40", text)

    def answer(self, title, key="Return"):
        """Answers the message box of this title with a key once it shows; false when it does
        not show or does not go."""
        box = self.window(title)
        if box is None:
            return False
        self.keys(box, key)
        return self.gone(title)

    def screenshot(self, name, window="root"):
        """The screen (or a window) as a picture in the session's folder; returns its path."""
        os.makedirs(self.pictures, exist_ok=True)
        path = os.path.join(self.pictures, name + ".png")
        subprocess.run(["import", "-window", window, path], check=True, timeout=30)
        return path


# ---- the accessibility bus ----------------------------------------------------------------

def program():
    """The program on the accessibility bus, or None."""
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
    """The first control below `root` of a role (any for None) and name (any for None), shown
    on the screen unless told otherwise."""
    def matches(accessible):
        try:
            return (role in (None, accessible.getRoleName()) and name in (None, accessible.name)
                    and (not showing or has(accessible, pyatspi.STATE_SHOWING)))
        except Exception:
            return False
    return pyatspi.findDescendant(root, matches) if root else None


def nodes_below(node, role):
    """Every node below `node` with the role, in tree order, not looking into lists' items (a
    catalog's thousands of textures)."""
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


def dialog(title, seconds=15.0):
    """The program's dialog of this title once it is on the bus, or None."""
    return wait_for(lambda: find(program(), "dialog", title), seconds)


def extents(accessible):
    return accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)


def click(accessible, at_height=0.5):
    """A click of the mouse on a control, in the middle unless told how far down."""
    if accessible is not None:
        box = extents(accessible)
        xdotool("mousemove", str(box.x + box.width // 2), str(box.y + int(box.height * at_height)),
                "click", "1")


def text_of(accessible):
    """The text a control holds now."""
    accessible.clear_cache()
    text = accessible.queryText()
    return text.getText(0, text.characterCount)


def description(accessible):
    accessible.clear_cache()
    return accessible.description


def states(accessible):
    accessible.clear_cache()
    return {pyatspi.stateToString(s) for s in accessible.getState().getStates()}


def act(accessible, name):
    """Runs the control's accessible action of this name; false when it has none."""
    action = accessible.queryAction()
    for index in range(action.nActions):
        if action.getName(index) == name:
            return action.doAction(index)
    return False


def selected_rows(grid):
    """The names of a list's selected items in their order: its selected rows as a table of one
    column."""
    grid.clear_cache()
    rows = sorted(grid.queryTable().getSelectedRows())
    return [grid.getChildAtIndex(row).name for row in rows]
