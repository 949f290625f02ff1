#!/usr/bin/env python3
"""Fails when a tracked file reaches outside the repository through a relative path.

A clone with nothing beside it must build and pass its tests, so no build file, test or script
may name a folder next to the checkout. Such paths are written in a few ways: a literal sibling
folder (`../name`) at the top of a checkout, or a source-folder variable followed by enough `..`
steps to climb out of the tree. System paths (`/usr/share/...`) are not relative and pass.
Usage: check_repository_paths.py [REPOSITORY]
"""
import pathlib
import re
import subprocess
import sys

UP = r"(?:/\.\.)+"
# A variable or expression that stands for the top of the checkout: any `..` after it leaves.
TOP_FORMS = [
    r"\$\{(?:CMAKE_SOURCE_DIR|PROJECT_SOURCE_DIR|CMAKE_BINARY_DIR|PROJECT_BINARY_DIR)\}" + UP,
    r"\bSPLASH_SOURCE_DIR\b\s*\"" + UP,
]
# A variable that stands for the folder of the file it is written in: leaving needs more `..`
# steps than that folder is deep.
HERE_FORMS = [
    r"\$\{CMAKE_CURRENT_(?:SOURCE|LIST)_DIR\}(" + UP + ")",
    r"\$\(dirname \"?\$(?:0|\{BASH_SOURCE\[0\]\})\"?\)(" + UP + ")",
    r"__file__\)\.(?:resolve\(\)\.)?((?:parent\.?)+)",
]
SIBLING = re.compile(r"(?<![\w.])\.\./(?!\.\.)" + "sha" + "red\\b")


def tracked_files(top):
    listing = subprocess.run(["git", "-C", str(top), "ls-files", "-z"], check=True,
                             capture_output=True).stdout
    return [name for name in listing.decode().split("\0") if name]


def steps_up(match_text):
    if "parent" in match_text:
        # Path(__file__).parent is the file's own folder; each further parent climbs one.
        return match_text.count("parent") - 1
    return match_text.count("..")


def findings_in(name, text):
    depth = len(pathlib.PurePosixPath(name).parts) - 1
    found = []
    for number, line in enumerate(text.splitlines(), 1):
        reasons = []
        if SIBLING.search(line):
            reasons.append("names a folder beside the checkout")
        if any(re.search(form, line) for form in TOP_FORMS):
            reasons.append("climbs above the top of the checkout")
        for form in HERE_FORMS:
            for match in re.finditer(form, line):
                if steps_up(match.group(1)) > depth:
                    reasons.append("climbs above the top of the checkout from this file's folder")
        found += [f"{name}:{number}: {reason}: {line.strip()}" for reason in reasons]
    return found


def main():
    top = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    findings = []
    for name in tracked_files(top):
        data = (top / name).read_bytes() if (top / name).is_file() else b""
        if b"\0" in data[:8192]:
            continue
        findings += findings_in(name, data.decode("utf-8", errors="replace"))
    for finding in findings:
        print(finding)
    if findings:
        print(f"{len(findings)} path(s) lead outside the repository; a clone has nothing there")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
