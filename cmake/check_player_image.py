#!/usr/bin/env python3
"""Checks the built 32-bit player's image for what the oldest systems it names need: a GUI
program for Windows 4.0 that imports only listed Windows 95 functions from kernel32, user32, gdi32
and shell32, holds no instruction newer than the Pentium, registers its exception frames through
gcc's start files, and stays within its size budget.

    check_player_image.py --objdump OBJDUMP --player EXE --map MAP --imports LIST [--budget N]

The player is stripped, so every finding is named through the linker's map: the object and the
input section (with function sections, the function) that holds it.
"""

import argparse
import bisect
import os
import re
import subprocess
import sys

ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll"}
HEADER_FIELDS = ["file format pei-i386", r"Magic\s+010b", r"MajorOSystemVersion\s+4",
                 r"MinorOSystemVersion\s+0", r"MajorSubsystemVersion\s+4",
                 r"MinorSubsystemVersion\s+0", r"Subsystem\s+00000002"]

# What a Pentium (P5) lacks: the Pentium Pro's conditional moves and floating-point compares
# into the flags, the long NOP (0F 1F), and every MMX and SSE instruction.
NEWER_MNEMONIC = re.compile(
    r"^(cmov\w*|fcmov\w*|fcomip?|fucomip?|nop[wlq]|emms|femms|ldmxcsr|stmxcsr|[slm]fence|"
    r"clflush\w*|prefetch\w*|movnti|fxsave\w*|fxrstor\w*|sysenter|sysexit|rdpmc)$")
NEWER_REGISTER = re.compile(r"%(x|y|z)?mm\d")


class Failure(Exception):
    pass


def run(command):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        raise Failure("cannot run %s: %s" % (" ".join(command), result.stderr.strip()))
    return result.stdout


def check_header(dump):
    for field in HEADER_FIELDS:
        if not re.search(field, dump):
            raise Failure("player image lacks '%s'" % field)


def listed_imports(path):
    listed = set()
    with open(path) as lines:
        for line in lines:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            dll, function = line.split()
            if function.endswith("W"):
                raise Failure("%s lists the wide-character function %s" % (path, function))
            listed.add((dll.lower(), function))
    return listed


def image_imports(dump):
    imports = []
    dll = None
    for line in dump.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1).lower()
            continue
        entry = re.match(r"\s+[0-9a-f]+\s+\d+\s+(\w+)$", line)
        if dll and entry:
            imports.append((dll, entry.group(1)))
    return imports


def check_imports(dump, listed):
    imports = image_imports(dump)
    if not imports:
        raise Failure("no import table found in the player image")
    for dll, function in imports:
        if dll not in ALLOWED_DLLS:
            raise Failure("player imports %s from %s, which Windows 95 does not provide for it"
                          % (function, dll))
        if (dll, function) not in listed:
            raise Failure("player imports %s!%s, which is not on the list of Windows 95 functions "
                          "(look it up at run time, or list it once the Windows 95 reference shows "
                          "it)" % (dll, function))
    print("imports %d functions, all on the Windows 95 list" % len(imports))


def input_sections(map_path):
    """(address, size, section, object) of every input section the map places, in order."""
    sections = []
    pending = None
    started = False
    with open(map_path, errors="replace") as lines:
        for line in lines:
            line = line.rstrip("\n")
            if line.startswith("Linker script and memory map"):
                started = True
                continue
            if not started:
                continue
            whole = re.match(r"^ (\.\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
            if whole:
                sections.append((int(whole.group(2), 16), int(whole.group(3), 16),
                                 whole.group(1), whole.group(4)))
                pending = None
                continue
            named = re.match(r"^ (\.\S+)$", line)
            if named:
                pending = named.group(1)
                continue
            rest = re.match(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
            if pending and rest:
                sections.append((int(rest.group(1), 16), int(rest.group(2), 16), pending,
                                 rest.group(3)))
            pending = None
    return [s for s in sections if s[1] > 0 and s[0] > 0]


def code_runs(sections):
    """Address ranges of consecutive code input sections; data placed among the code (the
    constructor lists, the exception tables) ends a range, so that it is never disassembled."""
    runs = []
    in_code = False
    for address, size, name, _ in sorted(sections):
        if not name.startswith(".text"):
            in_code = False
            continue
        if in_code and address <= runs[-1][1] + 16:
            runs[-1][1] = max(runs[-1][1], address + size)
        else:
            runs.append([address, address + size])
        in_code = True
    return runs


def newer_instructions(objdump, player, runs):
    found = []
    for start, stop in runs:
        listing = run([objdump, "-d", "--start-address=0x%x" % start,
                       "--stop-address=0x%x" % stop, player])
        for line in listing.splitlines():
            parts = line.split("\t")
            if len(parts) < 3 or not re.match(r"^\s*[0-9a-f]+:$", parts[0]):
                continue
            address = int(parts[0].strip().rstrip(":"), 16)
            raw = parts[1].split()
            instruction = parts[2].strip()
            mnemonic = instruction.split()[0] if instruction else ""
            if (NEWER_MNEMONIC.match(mnemonic) or NEWER_REGISTER.search(instruction)
                    or raw[:2] == ["0f", "1f"]):
                found.append((address, instruction))
    return found


def owner_of(address, sections, starts):
    index = bisect.bisect_right(starts, address) - 1
    while index >= 0:
        start, size, name, obj = sections[index]
        if start <= address < start + size:
            return "%s %s" % (os.path.basename(obj), name)
        index -= 1
    return "an unknown section"


def check_instructions(objdump, player, sections):
    runs = code_runs(sections)
    if not runs:
        raise Failure("the map places no code sections")
    found = newer_instructions(objdump, player, runs)
    if found:
        ordered = sorted(sections)
        starts = [s[0] for s in ordered]
        report = ["  0x%08x %-40s in %s" % (address, text, owner_of(address, ordered, starts))
                  for address, text in found]
        raise Failure("the player holds %d instructions that a Pentium lacks:\n%s"
                      % (len(found), "\n".join(report)))
    print("no instruction newer than the Pentium in %d code ranges" % len(runs))


def check_frame_registration(sections):
    """crtbegin.o's frames open the frame table and crtend.o's terminator closes it; crtend.o's
    constructor is what registers the table with the unwinder."""
    frames = [s for s in sorted(sections) if s[2] == ".eh_frame"]
    if not frames or not frames[0][3].endswith("crtbegin.o"):
        raise Failure("the exception frames do not start with crtbegin.o's")
    if not frames[-1][3].endswith("crtend.o"):
        raise Failure("crtend.o's frame terminator is not the last frame entry (%s is)"
                      % frames[-1][3])
    if not any(s[3].endswith("crtend.o") and s[2].startswith(".ctors") for s in sections):
        raise Failure("crtend.o's frame registration is not among the player's constructors")
    if not any(s[3].endswith("crtbegin.o") and s[2] == ".text" for s in sections):
        raise Failure("crtbegin.o's frame registration code is missing")
    print("exception frames registered by crtbegin.o and crtend.o (%d frame inputs)"
          % len(frames))


def check_budget(player, budget):
    size = os.path.getsize(player)
    if size > budget:
        raise Failure("the player is %d bytes, past its budget of %d bytes" % (size, budget))
    print("player size %d bytes, budget %d bytes" % (size, budget))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--player", required=True)
    parser.add_argument("--map", required=True)
    parser.add_argument("--imports", required=True)
    parser.add_argument("--budget", type=int)
    args = parser.parse_args()
    try:
        dump = run([args.objdump, "-p", args.player])
        check_header(dump)
        check_imports(dump, listed_imports(args.imports))
        sections = input_sections(args.map)
        check_instructions(args.objdump, args.player, sections)
        check_frame_registration(sections)
        if args.budget is not None:
            check_budget(args.player, args.budget)
    except Failure as failure:
        print("player image check: %s" % failure, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
