"""Retakes the README's picture of a catalog of POV-Ray's own textures: a selection of the
library imported with velvane-cli import, its thumbnails rendered with velvane-cli render, and
its grid drawn as the catalog window shows it. No screen is needed."""

import os
import shutil
import subprocess

from pictures import convert, folder
from session import ROOT


def run(build, out):
    out = folder(out)
    work = os.path.join(os.path.abspath(build), "xvfb", "library")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    cli = os.path.join(os.path.abspath(build), "src", "cli", "velvane-cli")
    catalog, sheet = os.path.join(work, "library.vlv"), os.path.join(work, "sheet.png")
    for command in (["import", catalog, os.path.join(ROOT, "examples", "library-selection.inc"),
                     "--approximate"],
                    ["render", catalog, "--pov", "povray", "--program-dir",
                     os.path.join(work, "program"), "--jobs", "2"],
                    ["sheet", catalog, sheet, "--width", "720"]):
        subprocess.run([cli, *command], check=True, timeout=600)
    convert(sheet, os.path.join(out, "library-catalog.png"), "+dither", "-colors", "192")
