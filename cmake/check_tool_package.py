#!/usr/bin/env python3
"""Checks the Windows splashpack zip without running it, for machines that cannot run 32-bit code.

    check_tool_package.py --zip ZIP --player EXE --objdump OBJDUMP --imports LIST --oldest VERSION

The zip holds the tool and its texts, nothing else; the tool carries the player byte for byte; and
its imports are all on the list for the oldest Windows the README names.
"""

import argparse
import os
import subprocess
import sys
import tempfile
import zipfile

CONTENTS = ["LICENSE.txt", "NOTICES.txt", "README.txt", "splashpack.exe", "splashpack.txt"]


def main():
    parser = argparse.ArgumentParser()
    for option in ["--zip", "--player", "--objdump", "--imports", "--oldest"]:
        parser.add_argument(option, required=True)
    arguments = parser.parse_args()
    with zipfile.ZipFile(arguments.zip) as package:
        names = sorted(package.namelist())
        if names != CONTENTS:
            sys.exit("%s holds %s, not %s" % (arguments.zip, " ".join(names), " ".join(CONTENTS)))
        tool = package.read("splashpack.exe")
    if open(arguments.player, "rb").read() not in tool:
        sys.exit("the packaged splashpack.exe does not carry %s" % arguments.player)
    with tempfile.TemporaryDirectory() as folder:
        exe = os.path.join(folder, "splashpack.exe")
        open(exe, "wb").write(tool)
        subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__),
                                                     "check_tool_imports.py"),
                        "--objdump", arguments.objdump, "--exe", exe, "--imports",
                        arguments.imports, "--oldest", arguments.oldest], check=True)
    print("%s: its files, its player and its imports as they should be" % arguments.zip)


if __name__ == "__main__":
    main()
