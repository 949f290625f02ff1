#!/usr/bin/env python3
"""Checks the Windows splashpack zip without running it: the package test calls it on every zip
it unpacks, and scripts/test.sh on the one that machines without 32-bit code cannot run.

    check_tool_package.py --zip ZIP --player EXE [--objdump OBJDUMP --imports LIST --oldest V]

The zip holds one folder named after it, with the tool and its texts in it and nothing else; the
texts are Windows text (CR LF line ends; README.txt without Markdown marks, pictures or
commands that cmd.exe cannot run as typed; splashpack.txt within 78 columns, no word broken
across lines); the tool carries the player byte for byte; and, given an objdump, its imports are
all on the list for the oldest Windows the README names.
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile
import zipfile

CONTENTS = ["LICENSE.txt", "NOTICES.txt", "README.txt", "splashpack.exe", "splashpack.txt"]
MANUAL_COLUMNS = 78


def text_problems(name, data):
    """What keeps the text `name` of the zip from reading as Windows text; empty when nothing."""
    problems = []
    text = data.decode("utf-8-sig")
    if re.search(r"(?<!\r)\n", text) or re.search(r"\r(?!\n)", text):
        problems.append("a line that does not end in CR LF")
    lines = text.split("\r\n")
    if name == "README.txt":
        for line in lines:
            if line.startswith("```"):
                problems.append("a Markdown fence: " + line)
            if "![" in line or "](" in line or "screenshot" in line:
                problems.append("a picture the zip does not hold: " + line)
            if re.search(r"\bman splashpack\b|\bSIGTERM\b", line):
                problems.append("a Linux-only word: " + line)
            if line.startswith("    ") and (line.endswith("\\") or " #" in line):
                problems.append("an example cmd.exe cannot run as typed: " + line)
    if name == "splashpack.txt":
        for line in lines:
            if len(line) > MANUAL_COLUMNS:
                problems.append("a line over %d columns: %s" % (MANUAL_COLUMNS, line))
            if re.search(r"[A-Za-z]-$", line):
                problems.append("a word broken across lines: " + line)
            if line.endswith(" \\"):
                problems.append("an example continued as a POSIX shell does: " + line)
    return problems


def main():
    parser = argparse.ArgumentParser()
    for option in ["--zip", "--player"]:
        parser.add_argument(option, required=True)
    for option in ["--objdump", "--imports", "--oldest"]:
        parser.add_argument(option)
    arguments = parser.parse_args()
    folder = os.path.basename(arguments.zip)[:-len(".zip")]
    expected = [folder + "/" + name for name in CONTENTS]
    problems = []
    with zipfile.ZipFile(arguments.zip) as package:
        names = sorted(name for name in package.namelist() if not name.endswith("/"))
        if names != expected:
            sys.exit("%s holds %s, not %s" % (arguments.zip, " ".join(names), " ".join(expected)))
        for name in CONTENTS:
            if name.endswith(".txt"):
                problems += ["%s: %s" % (name, problem)
                             for problem in text_problems(name, package.read(folder + "/" + name))]
        tool = package.read(folder + "/splashpack.exe")
    if problems:
        sys.exit("%s:\n%s" % (arguments.zip, "\n".join(problems)))
    if open(arguments.player, "rb").read() not in tool:
        sys.exit("the packaged splashpack.exe does not carry %s" % arguments.player)
    if arguments.objdump:
        with tempfile.TemporaryDirectory() as scratch:
            exe = os.path.join(scratch, "splashpack.exe")
            open(exe, "wb").write(tool)
            subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__),
                                                         "check_tool_imports.py"),
                            "--objdump", arguments.objdump, "--exe", exe, "--imports",
                            arguments.imports, "--oldest", arguments.oldest], check=True)
    print("%s: its folder, its texts, its player%s as they should be"
          % (arguments.zip, " and its imports" if arguments.objdump else ""))


if __name__ == "__main__":
    main()
