#!/usr/bin/python3
"""Runs checks of the real program on a virtual screen, or retakes the README's pictures:

    /usr/bin/python3 tests/xvfb/run.py [--build DIR] NAME...

NAME is a check (CHECKS below; ctest runs each under the label "xvfb") or a picture tool
(PICTURES, which write docs/screenshots, or --out DIR). Each runs inside a session bus of its own
and may take no longer than --timeout seconds. Debian's python (/usr/bin/python3) has pyatspi.
Needs xvfb, openbox, xdotool, x11-utils, dbus, at-spi2-core, python3-pyatspi and imagemagick
(scripts/install-deps.sh). What each leaves behind, pictures and the program's output, is in
BUILD/xvfb/NAME."""

import argparse
import importlib
import os
import signal
import subprocess
import sys
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
CHECKS = ["keyboard", "accessibility", "editloop", "colormapbar", "quit", "windows", "inspector"]
PICTURES = ["tour", "importsource", "library"]


class TimedOut(Exception):
    pass


def on_alarm(*_):
    raise TimedOut()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("names", nargs="+", metavar="NAME", choices=CHECKS + PICTURES)
    parser.add_argument("--build", default=os.path.join(os.path.dirname(os.path.dirname(HERE)),
                                                        "build"))
    parser.add_argument("--out", help="where the picture tools write (docs/screenshots)")
    parser.add_argument("--timeout", type=int, default=240)
    options = parser.parse_args()

    # The accessibility bus travels over a session bus of this run's own, whose daemons' chatter
    # is left out.
    if os.environ.get("VELVANE_XVFB_BUS") != "1":
        os.environ["VELVANE_XVFB_BUS"] = "1"
        bus = subprocess.Popen(["dbus-run-session", "--", sys.executable, *sys.argv],
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        for line in bus.stdout:
            if not line.startswith(("dbus-daemon", "SpiRegistry daemon")):
                print(line, end="", flush=True)
        return bus.wait()

    sys.path.insert(0, HERE)
    import session

    signal.signal(signal.SIGALRM, on_alarm)
    signal.signal(signal.SIGTERM, on_alarm)  # ctest's timeout: the screens are closed all the same
    for name in options.names:
        print(f"== {name}", flush=True)
        signal.alarm(options.timeout)
        try:
            module = importlib.import_module(name)
            if name in PICTURES:
                module.run(options.build, options.out)
            else:
                module.run(options.build)
        except TimedOut:
            session.check(False, f"{name} finished within {options.timeout} seconds")
        except Exception as error:  # a check that breaks off fails, and the others still run
            traceback.print_exc()
            session.check(False, f"{name} ran to its end", f"{type(error).__name__}: {error}")
        signal.alarm(0)
    print(f"{session.passes} passed, {session.failures} failed", flush=True)
    return 1 if session.failures else 0


if __name__ == "__main__":
    sys.exit(main())
