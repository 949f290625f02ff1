#!/usr/bin/env python3
"""Writes the texts that go beside splashpack in its packages, from the files they come from.

    package_texts.py manual GROFF PAGE OUT        the manual page as plain text
    package_texts.py readme README OUT HEADING... the README's sections under those headings
    package_texts.py notices NOTICES LICENCES... OUT  the notices, then the licence files given
                                                  (the mingw-w64 runtime's, a font's)
    (--crlf before the command ends every line with CR LF, and marks UTF-8 text as such, for
    Notepad on Windows XP)
"""

import subprocess
import sys


def manual(groff, page):
    # ASCII without overstrikes or escapes: bold and underline mean nothing in a text file.
    return subprocess.run([groff, "-man", "-Tascii", "-P-cbou", page], check=True,
                          stdout=subprocess.PIPE, universal_newlines=True).stdout


def readme(path, headings):
    lines = open(path, encoding="utf-8").read().split("\n")
    taken, level, found = [], 0, set()
    for line in lines:
        hashes = len(line) - len(line.lstrip("#"))
        if hashes and line[hashes:hashes + 1] == " ":
            if level and hashes <= level:
                level = 0
            title = line[hashes + 1:].strip()
            if not level and title in headings:
                level = hashes
                found.add(title)
        if level:
            taken.append(line)
    missing = [heading for heading in headings if heading not in found]
    if missing:
        sys.exit("package_texts: no README section %s" % ", ".join(missing))
    return "\n".join(taken).rstrip("\n") + "\n"


def notices(path, licences):
    text = open(path, encoding="utf-8").read()
    for licence in licences:
        text += "-" * 72 + "\n" + open(licence, encoding="utf-8").read()
    return text


def main(arguments):
    crlf = arguments[:1] == ["--crlf"]
    if crlf:
        arguments = arguments[1:]
    command = arguments[0]
    if command == "manual":
        text, out = manual(arguments[1], arguments[2]), arguments[3]
    elif command == "readme":
        text, out = readme(arguments[1], arguments[3:]), arguments[2]
    elif command == "notices":
        text, out = notices(arguments[1], arguments[2:-1]), arguments[-1]
    else:
        sys.exit("package_texts: unknown command %s" % command)
    if crlf:
        text = text.replace("\r\n", "\n").replace("\n", "\r\n")
        # Without the mark, Notepad on XP reads UTF-8 as the ANSI code page.
        if not text.isascii():
            text = "\ufeff" + text
    with open(out, "w", encoding="utf-8", newline="") as output:
        output.write(text)


if __name__ == "__main__":
    main(sys.argv[1:])
