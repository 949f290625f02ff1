#!/usr/bin/env python3
"""Checks that the Windows splashpack.exe imports only what the oldest Windows it names provides.

    check_tool_imports.py --objdump OBJDUMP --exe EXE --imports LIST --oldest VERSION

Each line of LIST is `DLL FUNCTION VERSION`: a function the tool may import and the oldest
Windows that the Win32 documentation gives for it (for msvcrt.dll, the oldest whose msvcrt.dll
exports it). The tool is refused when it imports a function that is not on the list, or one whose
version is later than VERSION. Wine exports more than any of those systems did, so a run under
Wine cannot show this.
"""

import argparse
import re
import subprocess
import sys

# In the order of their releases; NT 4 and 95 are taken as one step, which no entry needs apart.
VERSIONS = ["95", "NT4", "98", "2000", "XP", "Vista", "7", "8", "10"]


def listed_imports(path):
    listed = {}
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        fields = line.split()
        if len(fields) != 3 or fields[2] not in VERSIONS:
            sys.exit("%s:%d: expected `DLL FUNCTION VERSION`, VERSION one of %s"
                     % (path, number, " ".join(VERSIONS)))
        listed[(fields[0].lower(), fields[1])] = fields[2]
    return listed


def image_imports(objdump, exe):
    listing = subprocess.run([objdump, "-p", exe], check=True, stdout=subprocess.PIPE,
                             universal_newlines=True).stdout
    imports, dll = [], None
    for line in listing.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1).lower()
            continue
        if dll is None:
            continue
        entry = re.match(r"\s*[0-9a-f]+\s+(\d+)\s+(\S+)\s*$", line)
        if entry:
            imports.append((dll, entry.group(2)))
        elif not line.strip() or line.startswith("The "):
            # A blank line after a DLL's functions ends them; the next DLL names itself.
            if imports and imports[-1][0] == dll:
                dll = None
    return imports


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--imports", required=True)
    parser.add_argument("--oldest", required=True, choices=VERSIONS)
    arguments = parser.parse_args()
    listed = listed_imports(arguments.imports)
    imports = image_imports(arguments.objdump, arguments.exe)
    if not imports:
        sys.exit("check_tool_imports: no imports found in %s" % arguments.exe)
    oldest = VERSIONS.index(arguments.oldest)
    failures = []
    for dll, function in imports:
        version = listed.get((dll, function))
        if version is None:
            failures.append("imports %s!%s, which is not on the list %s"
                            % (dll, function, arguments.imports))
        elif VERSIONS.index(version) > oldest:
            failures.append("imports %s!%s, which Windows %s lacks: the list gives Windows %s"
                            % (dll, function, arguments.oldest, version))
    for failure in failures:
        print("splashpack.exe %s" % failure, file=sys.stderr)
    if failures:
        sys.exit(1)
    print("splashpack.exe imports %d functions, all on the list for Windows %s"
          % (len(imports), arguments.oldest))


if __name__ == "__main__":
    main()
