"""What the tools that retake the README's pictures share."""

import hashlib
import os
import subprocess

from session import ROOT, run, wait_for


def folder(out):
    """Where the pictures go: docs/screenshots unless told otherwise."""
    path = out or os.path.join(ROOT, "docs", "screenshots")
    os.makedirs(path, exist_ok=True)
    return path


def settled_picture(session, window, name):
    """The window's picture once it has stayed the same for two seconds (a render has arrived
    and the busy mark is gone); its path, or an error after two minutes."""
    sums = []

    def settled():
        path = session.screenshot(name, window)
        with open(path, "rb") as file:
            sums.append(hashlib.md5(file.read()).digest())
        return path if len(sums) >= 5 and len(set(sums[-5:])) == 1 else None
    path = wait_for(settled, 120)
    if path is None:
        raise RuntimeError(f"the window {window} kept changing")
    return path


def convert(source, target, *options):
    """An ImageMagick conversion of a picture to a stripped PNG of at most 256 colours."""
    subprocess.run(["convert", source, *options, "-strip", "PNG8:" + target], check=True,
                   timeout=60)
    print(run("ls", "-l", target), flush=True)
