#!/usr/bin/python3
"""Quitting with unsaved catalogs, driven with real keys and clicks in the real program (started
by scripts/quit-check.sh): Ctrl+Q asks once for all of them, naming each; Cancel keeps the program
and the changes, Save All saves every one and quits, Discard quits and leaves the files alone.

Usage: quit-check.py BUILD_DIR WORK_DIR (WORK_DIR holds first.vlv and second.vlv)
"""
import json
import os
import shutil
import subprocess
import sys
import time

import checksupport
from checksupport import check, click, frame_id, keys, nodes_below as nodes, program, wait_for

BUILD, WORK = sys.argv[1], sys.argv[2]
CATALOGS = [os.path.join(WORK, name) for name in ("first.vlv", "second.vlv")]


def count_in_file(path):
    dump = subprocess.run([os.path.join(BUILD, "src/cli/velvane-cli"), "dump", path],
                          capture_output=True, text=True, check=True)
    return len(json.loads(dump.stdout)["textures"])


def question():
    """The quit question's dialog once it shows: its text and its buttons by name."""
    def shown():
        app = program()
        if app is None:
            return None
        for dialog in nodes(app, "dialog") + nodes(app, "alert"):
            labels = [label.name for label in nodes(dialog, "label")]
            if any("Save the changes" in text for text in labels):
                return dialog, "\n".join(labels), {b.name: b for b in nodes(dialog, "push button")}
        return None
    return wait_for(shown, 10)


def start():
    process = subprocess.Popen([os.path.join(BUILD, "src/ui/velvane"), *CATALOGS],
                               stderr=subprocess.DEVNULL)
    check(wait_for(lambda: frame_id() and program(), 20) is not None, "the program started")
    time.sleep(1)
    return process


def change_both():
    """Deletes the first texture of each catalog, from the keyboard."""
    for _ in CATALOGS:
        keys("Home", "Delete", delay=200)
        time.sleep(0.6)
        subprocess.run(["xdotool", "key", "Return"])  # Yes
        time.sleep(0.6)
        keys("ctrl+Tab", delay=200)


def ask(what):
    keys("ctrl+q", delay=200)
    shown = question()
    check(shown is not None, f"{what}: Ctrl+Q asks")
    return shown


def answer(process, button, counts):
    """Quits with Ctrl+Q, answers with `button`, and checks the program ends and the catalogs
    then hold `counts` textures."""
    shown = ask(f"before {button}")
    if not shown:
        return
    click(shown[2][button])
    check(wait_for(lambda: process.poll() is not None, 15) is not None,
          f"{button} quits the program")
    now = [count_in_file(path) for path in CATALOGS]
    check(now == counts, f"after {button} the catalogs hold {counts} textures", f"{now}")


def main():
    original = count_in_file(CATALOGS[0])
    backup = [path + ".orig" for path in CATALOGS]
    for path, copy in zip(CATALOGS, backup):
        shutil.copy(path, copy)

    process = start()
    change_both()
    shown = ask("two changed catalogs")
    if shown:
        _, text, buttons = shown
        check("these 2 documents" in text and "first.vlv" in text and "second.vlv" in text,
              "one question names both catalogs", text.replace("\n", " | "))
        check(sorted(buttons) == ["Cancel", "Discard", "Save All"],
              "its buttons are Save All, Discard and Cancel", ", ".join(sorted(buttons)))
        click(buttons["Cancel"])
        time.sleep(1)
        check(process.poll() is None, "Cancel keeps the program running")

    # Save All saves both and quits; Discard quits and leaves both files as they were.
    answer(process, "Save All", [original - 1] * 2)
    for path, copy in zip(CATALOGS, backup):
        shutil.copy(copy, path)
    process = start()
    change_both()
    answer(process, "Discard", [original] * 2)
    if process.poll() is None:
        process.kill()
    sys.exit(checksupport.failures)


main()
