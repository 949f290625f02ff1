#!/usr/bin/env python3
"""Writes the texts that go beside splashpack in its packages, from the files they come from.

    package_texts.py manual GROFF PAGE OUT        the manual page as plain text, 78 columns
    package_texts.py readme README OUT HEADING... the README's sections under those headings, as
                                                  plain text for the Windows zip
    package_texts.py notices NOTICES LICENCES... OUT  the notices, then the licence files given
                                                  (the mingw-w64 runtime's, a font's)
    package_texts.py copyright LICENSE NOTICES OUT    the Debian package's copyright file
    package_texts.py copy IN OUT                  a text as it is
    (--crlf before the command ends every line with CR LF, marks UTF-8 text as such, and
    continues a command's line with ^ as cmd.exe does, for Notepad and cmd.exe on Windows XP)
"""

import re
import subprocess
import sys

# The manual's lines fit an 80-column console window with room to spare.
MANUAL_COLUMNS = 78


def manual(groff, page):
    # ASCII without overstrikes or escapes: bold and underline mean nothing in a text file; no
    # hyphenation, which would break option and package names across lines.
    text = subprocess.run([groff, "-man", "-rHY=0", "-rLL=%dn" % MANUAL_COLUMNS, "-Tascii",
                           "-P-cbou", page], check=True, stdout=subprocess.PIPE,
                          universal_newlines=True).stdout
    long_lines = [line for line in text.split("\n") if len(line) > MANUAL_COLUMNS]
    if long_lines:
        sys.exit("package_texts: manual lines over %d columns:\n%s"
                 % (MANUAL_COLUMNS, "\n".join(long_lines)))
    return text


def plain_text(lines):
    """Markdown as plain text: headings underlined, code blocks indented instead of fenced,
    paragraphs that show a picture left out (the zip holds none), code marks taken off."""
    blocks, current, code = [], [], None
    for line in lines:
        if line.startswith("```"):
            if code is None:
                if current:
                    blocks.append(("text", current))
                current, code = [], []
            else:
                blocks.append(("code", code))
                code = None
        elif code is not None:
            code.append(line)
        elif line.strip() == "":
            if current:
                blocks.append(("text", current))
            current = []
        else:
            current.append(line)
    if current:
        blocks.append(("text", current))
    out = []
    for kind, block in blocks:
        if kind == "code":
            for line in block:
                if "#" in line:
                    sys.exit("package_texts: a comment in a README example, which cmd.exe "
                             "would take as an argument: %s" % line)
            out.append(["    " + line for line in block])
            continue
        if any("![" in line for line in block):
            continue
        hashes = len(block[0]) - len(block[0].lstrip("#"))
        if hashes and block[0][hashes:hashes + 1] == " ":
            title = block[0][hashes + 1:].strip()
            out.append([title, ("=" if hashes <= 2 else "-") * len(title)])
            continue
        out.append([line.replace("`", "") for line in block])
    return "\n\n".join("\n".join(block) for block in out) + "\n"


def readme(path, headings):
    lines = open(path, encoding="utf-8").read().split("\n")
    taken, level, found, fenced = [], 0, set(), False
    for line in lines:
        if line.startswith("```"):
            fenced = not fenced
        hashes = 0 if fenced else len(line) - len(line.lstrip("#"))
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
    return plain_text(taken)


def notices(path, licences):
    text = open(path, encoding="utf-8").read()
    for licence in licences:
        text += "-" * 72 + "\n" + open(licence, encoding="utf-8").read()
    return text


def copyright_file(licence, notices_path):
    return ("splashpack\n\nThe program and its manual:\n\n" + open(licence, encoding="utf-8").read()
            + "\n" + "-" * 72 + "\n" + open(notices_path, encoding="utf-8").read())


def windows_text(text, commands):
    text = text.replace("\r\n", "\n")
    if commands:
        # A command continued on the next line: cmd.exe's caret where a shell has a backslash.
        text = re.sub(r" \\\n", " ^\n", text)
    text = text.replace("\n", "\r\n")
    # Without the mark, Notepad on XP reads UTF-8 as the ANSI code page.
    if not text.isascii():
        text = "\ufeff" + text
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
    elif command == "copyright":
        text, out = copyright_file(arguments[1], arguments[2]), arguments[3]
    elif command == "copy":
        text, out = open(arguments[1], encoding="utf-8").read(), arguments[2]
    else:
        sys.exit("package_texts: unknown command %s" % command)
    if crlf:
        text = windows_text(text, command in ("manual", "readme"))
    with open(out, "w", encoding="utf-8", newline="") as output:
        output.write(text)


if __name__ == "__main__":
    main(sys.argv[1:])
