#!/usr/bin/env python3
"""Checks the built 32-bit player's image against what the oldest systems it names hold it to.

    check_player_image.py --objdump OBJDUMP --player EXE --map MAP --imports LIST [--budget N]

Nobody can run the loaders of Windows 95, 98, Me or NT 4 here, and Wine does not reproduce them,
so this check is what stands between a toolchain or flag change and a player those systems refuse.
Every structural rule says in its message which of two kinds it is:

- loader rules, which the loaders of Windows 95/98/Me and NT 4 are documented to enforce: the
  alignments, contiguous sections, the image base and its relocations, imports by name, no CLR
  header, no PNG icon image, a Windows 4.0 program;
- the project's own rules, hygiene that keeps the image simple to reason about: no bytes past
  the last section, short section names and no symbols, no writable code, a fixed set of data
  directories and DLL characteristics, plain resources.

Then two run-time rules that no loader would report, since the player carries no runtime to make
up for them: no pseudo-relocations and no thread-local storage. Then the imports against the
list of Windows 95 functions, every instruction against what a 386 has, the order of the
exception frames and the size budget.

The headers are read here with the standard library. The player is stripped, so every
instruction finding is named through the linker's map: the object and the input section (with
function sections, the function) that holds it.
"""

import argparse
import bisect
import os
import re
import struct
import subprocess
import sys

ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll"}

LOADER = "a loader rule of Windows 95/98/Me and NT 4"
OWN = "the project's own hygiene"
RUNTIME = "a run-time rule: the player has no runtime to make up for it"

IMAGE_BASE = 0x400000
SECTION_ALIGNMENT = 0x1000
FILE_ALIGNMENT = 0x200
MACHINE_I386 = 0x14C
PE32_MAGIC = 0x10B
GUI_SUBSYSTEM = 2
RELOCS_STRIPPED = 0x0001
DYNAMIC_BASE = 0x0040
NX_COMPAT = 0x0100
SCN_SHARED = 0x10000000
SCN_EXECUTE = 0x20000000
SCN_WRITE = 0x80000000
RT_ICON = 3
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"

DIRECTORY_NAMES = ["export", "import", "resource", "exception", "security", "base relocation",
                   "debug", "architecture", "global pointer", "TLS", "load configuration",
                   "bound import", "import address table", "delay import", "CLR", "reserved"]
# Directories the player has no use for. The security one stays empty so that a signing tool
# finds the built player unsigned; the TLS one is a run-time rule of its own.
UNUSED_DIRECTORIES = [0, 3, 4, 6, 7, 8, 10, 11, 13, 15]

# Every instruction of the 386 as objdump writes it; anything else is one that a 386 lacks: the
# 486's BSWAP, CMPXCHG, XADD and cache instructions, the Pentium's CPUID, RDTSC and CMPXCHG8B,
# the Pentium Pro's conditional moves, UD2 and long NOP, MMX, SSE and everything later, and bytes
# objdump cannot decode. A 386DX need not have a coprocessor, and the player computes nothing in
# floating point, so no x87 instruction is allowed either.
SIZED_386 = (
    "mov movs xchg push pop pusha popa pushf popf lea lds les lfs lgs lss in out ins outs add "
    "adc sub sbb inc dec neg cmp mul imul div idiv and or xor not test shl sal shr sar rol ror "
    "rcl rcr shld shrd bt bts btr btc bsf bsr cmps scas lods stos xlat call ret lret iret enter "
    "leave bound lcall ljmp lar lsl lgdt sgdt lidt sidt lldt sldt ltr str lmsw smsw verr verw "
    "arpl").split()
PLAIN_386 = (
    "movsbw movsbl movswl movzbw movzbl movzwl cbtw cwtl cwtd cltd jmp ja jae jb jbe je jg jge "
    "jl jle jne jno jnp jns jo jp js jcxz jecxz loop loope loopne seta setae setb setbe sete "
    "setg setge setl setle setne setno setnp setns seto setp sets clc stc cmc cld std cli sti "
    "lahf sahf daa das aaa aas aam aad int int3 into hlt nop clts").split()
INSTRUCTION_386 = re.compile(r"^(?:(?:%s)[bwl]?|%s)$" % ("|".join(SIZED_386), "|".join(PLAIN_386)))
PREFIX_386 = {"lock", "rep", "repz", "repnz", "repe", "repne", "cs", "ds", "es", "fs", "gs", "ss",
              "data16", "addr16"}
# Registers no 386 has: MMX, SSE and later vector ones, the Pentium's CR4.
NEWER_REGISTER = re.compile(r"%(?:[xyz]?mm\d|k[0-7]|cr4|bnd)")


class Failure(Exception):
    pass


def run(command):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        raise Failure("cannot run %s: %s" % (" ".join(command), result.stderr.strip()))
    return result.stdout


def align_up(value, alignment):
    return (value + alignment - 1) // alignment * alignment


class Image:
    """The headers, sections and data directories of a PE32 file."""

    def __init__(self, data):
        self.data = data
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise Failure("the player is not an MZ program")
        (pe_at,) = struct.unpack_from("<I", data, 0x3C)
        if data[pe_at:pe_at + 4] != b"PE\0\0":
            raise Failure("the player has no PE signature")
        (self.machine, section_count, _, self.symbol_table, self.symbol_count, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe_at + 4)
        optional_at = pe_at + 24
        (self.magic,) = struct.unpack_from("<H", data, optional_at)
        if self.magic != PE32_MAGIC:
            raise Failure("the player is not a PE32 image (optional header magic 0x%x)"
                          % self.magic)
        (self.entry_point,) = struct.unpack_from("<I", data, optional_at + 16)
        (self.image_base, self.section_alignment, self.file_alignment, self.os_major,
         self.os_minor, _, _, self.subsystem_major, self.subsystem_minor, _, self.image_size,
         self.headers_size, _, self.subsystem,
         self.dll_characteristics) = struct.unpack_from("<III6HIIIIHH", data, optional_at + 28)
        (directory_count,) = struct.unpack_from("<I", data, optional_at + 92)
        self.directories = [struct.unpack_from("<II", data, optional_at + 96 + 8 * index)
                            for index in range(min(directory_count, 16))]
        self.directories += [(0, 0)] * (16 - len(self.directories))
        self.sections = []
        for index in range(section_count):
            at = optional_at + optional_size + 40 * index
            (virtual_size, address, raw_size, raw_at, _, _, _, _,
             flags) = struct.unpack_from("<IIIIIIHHI", data, at + 8)
            self.sections.append({"name": data[at:at + 8].rstrip(b"\0").decode("latin-1"),
                                  "virtual_size": virtual_size or raw_size, "address": address,
                                  "raw_size": raw_size, "raw_at": raw_at, "flags": flags})

    def section_at(self, rva):
        for section in self.sections:
            if section["address"] <= rva < section["address"] + section["virtual_size"]:
                return section
        return None

    def read(self, rva, size):
        """The size bytes at rva, which must all lie in one section's data in the file."""
        section = self.section_at(rva)
        if section is None:
            raise Failure("RVA 0x%x lies in no section" % rva)
        offset = rva - section["address"]
        if offset + size > section["raw_size"]:
            raise Failure("RVA 0x%x+%d runs past the file data of %s"
                          % (rva, size, section["name"]))
        at = section["raw_at"] + offset
        return self.data[at:at + size]

    def u32(self, rva):
        return struct.unpack("<I", self.read(rva, 4))[0]

    def string(self, rva):
        text = bytearray()
        while True:
            byte = self.read(rva + len(text), 1)
            if byte == b"\0":
                return text.decode("latin-1")
            text += byte

    def directory(self, index):
        return self.directories[index]


# Each rule gives what breaks it, as a list of findings; none means it holds.

def rule_windows_4(image):
    found = []
    if image.machine != MACHINE_I386:
        found.append("machine 0x%x, not the 386 (0x14c)" % image.machine)
    if image.subsystem != GUI_SUBSYSTEM:
        found.append("subsystem %d, not the Windows GUI (2)" % image.subsystem)
    for what, major, minor in (("OS", image.os_major, image.os_minor),
                               ("subsystem", image.subsystem_major, image.subsystem_minor)):
        if (major, minor) != (4, 0):
            found.append("%s version %d.%d, not 4.0" % (what, major, minor))
    return found


def rule_alignments(image):
    found = []
    if image.section_alignment != SECTION_ALIGNMENT:
        found.append("SectionAlignment 0x%x, not 0x1000" % image.section_alignment)
    if image.file_alignment != FILE_ALIGNMENT:
        found.append("FileAlignment 0x%x, not 0x200" % image.file_alignment)
    if image.headers_size % FILE_ALIGNMENT:
        found.append("SizeOfHeaders 0x%x, not a multiple of 0x200" % image.headers_size)
    for section in image.sections:
        if section["raw_at"] % FILE_ALIGNMENT or section["raw_size"] % FILE_ALIGNMENT:
            found.append("%s's file data at 0x%x, 0x%x bytes, not multiples of 0x200"
                         % (section["name"], section["raw_at"], section["raw_size"]))
    return found


def rule_contiguous_sections(image):
    found = []
    expected = align_up(image.headers_size, SECTION_ALIGNMENT)
    for section in image.sections:
        if section["address"] != expected:
            found.append("%s starts at 0x%x, not at 0x%x where what comes before it ends"
                         % (section["name"], section["address"], expected))
        expected = align_up(section["address"] + section["virtual_size"], SECTION_ALIGNMENT)
    if image.image_size != expected:
        found.append("SizeOfImage 0x%x, not 0x%x, the aligned end of the last section"
                     % (image.image_size, expected))
    return found


def relocation_findings(image, page, entries):
    found = []
    for entry in entries:
        kind, address = entry >> 12, page + (entry & 0xFFF)
        if kind == 0:
            continue
        if kind != 3:
            found.append("a fixup of type %d at 0x%x, not a 32-bit one" % (kind, address))
            continue
        try:
            target = image.u32(address) - image.image_base
        except Failure as failure:
            found.append("a fixup outside the image's data: %s" % failure)
            continue
        if not 0 <= target < image.image_size:
            found.append("the fixup at 0x%x points outside the image" % address)
    return found


def rule_image_base_and_relocations(image):
    found = []
    if image.image_base != IMAGE_BASE:
        found.append("image base 0x%x, not 0x400000" % image.image_base)
    if image.characteristics & RELOCS_STRIPPED:
        found.append("the relocations are stripped")
    rva, size = image.directory(5)
    if size == 0:
        return found + ["no base relocations"]
    end = rva + size
    while rva < end:
        page, block_size = struct.unpack("<II", image.read(rva, 8))
        if block_size < 8 or block_size % 2 or rva + block_size > end or page % 0x1000:
            return found + ["the relocation block at 0x%x is malformed" % rva]
        count = (block_size - 8) // 2
        found += relocation_findings(
            image, page, struct.unpack("<%dH" % count, image.read(rva + 8, 2 * count)))
        rva += block_size
    return found


def image_imports(image):
    """(dll, function) of every import, and what breaks the rule of imports by name."""
    imports, found = [], []
    rva, size = image.directory(1)
    if size == 0:
        return imports, ["no import table"]
    while True:
        lookup, stamp, _, name_rva, first_thunk = struct.unpack("<5I", image.read(rva, 20))
        if lookup == 0 and name_rva == 0 and first_thunk == 0:
            return imports, found
        dll = image.string(name_rva).lower()
        if stamp != 0:
            found.append("%s's descriptor has TimeDateStamp 0x%x, not 0" % (dll, stamp))
        if lookup == 0:
            found.append("%s has no lookup table of its own" % dll)
            lookup = first_thunk
        while True:
            thunk = image.u32(lookup)
            if thunk == 0:
                break
            if thunk & 0x80000000:
                found.append("%s is imported from by ordinal %d" % (dll, thunk & 0xFFFF))
            else:
                imports.append((dll, image.string(thunk + 2)))
            lookup += 4
        rva += 20


def rule_imports_by_name(image):
    return image_imports(image)[1]


def rule_no_clr(image):
    return ["the image has a CLR header"] if image.directory(14) != (0, 0) else []


def resources(image):
    """(type, name, language), whether any of them is a name, data RVA and size of every
    resource."""
    base, size = image.directory(2)
    leaves = []

    def walk(offset, path, named):
        named_count, id_count = struct.unpack("<HH", image.read(base + offset + 12, 4))
        for index in range(named_count + id_count):
            key, target = struct.unpack("<II", image.read(base + offset + 16 + 8 * index, 8))
            is_name = bool(key & 0x80000000)
            key = "(name)" if is_name else key
            if target & 0x80000000:
                if len(path) == 2:
                    raise Failure("the resource directory is deeper than three levels")
                walk(target & 0x7FFFFFFF, path + [key], named or is_name)
            else:
                data_rva, data_size = struct.unpack("<II", image.read(base + target, 8))
                leaves.append((path + [key], named or is_name, data_rva, data_size))

    if size:
        walk(0, [], False)
    return leaves


def rule_no_png_icon(image):
    return ["icon image %s is PNG-compressed" % path[1]
            for path, _, rva, size in resources(image)
            if path[0] == RT_ICON and image.read(rva, min(size, 8)) == PNG_SIGNATURE]


def rule_image_end(image):
    found = []
    size = len(image.data)
    end = max([s["raw_at"] + s["raw_size"] for s in image.sections] + [image.headers_size])
    if size % 512:
        found.append("the file is %d bytes, not a multiple of 512" % size)
    if size != end:
        found.append("the file is %d bytes, but its last section ends at %d" % (size, end))
    return found


def rule_names_and_symbols(image):
    # A longer name is a reference into the symbol table's strings, which the loader ignores.
    found = ["a section name longer than 8 characters (%s)" % s["name"]
             for s in image.sections if s["name"].startswith("/")]
    if image.symbol_table or image.symbol_count:
        found.append("a COFF symbol table of %d symbols" % image.symbol_count)
    return found


def rule_section_rights(image):
    found = []
    for section in image.sections:
        if section["flags"] & SCN_EXECUTE and section["flags"] & SCN_WRITE:
            found.append("%s is both writable and executable" % section["name"])
        if section["flags"] & SCN_SHARED:
            found.append("%s is shared between processes" % section["name"])
    return found


def rule_entry_point(image):
    section = image.section_at(image.entry_point)
    if section is None or not section["flags"] & SCN_EXECUTE:
        return ["the entry point 0x%x is not in an executable section" % image.entry_point]
    return []


def rule_unused_directories(image):
    return ["the %s directory is not empty" % DIRECTORY_NAMES[index]
            for index in UNUSED_DIRECTORIES if image.directory(index) != (0, 0)]


def rule_dll_characteristics(image):
    # Both bits are ignored before Vista and give later systems ASLR and DEP; any other one
    # (high-entropy addresses, control-flow guard, ...) must not appear unnoticed.
    wanted = DYNAMIC_BASE | NX_COMPAT
    if image.dll_characteristics != wanted:
        return ["DllCharacteristics 0x%x, not 0x%x (DYNAMIC_BASE and NX_COMPAT)"
                % (image.dll_characteristics, wanted)]
    return []


def rule_plain_resources(image):
    found = []
    for path, named, _, size in resources(image):
        where = "/".join(str(key) for key in path)
        if named:
            found.append("resource %s is named" % where)
        elif any(key > 0x7FFF for key in path):
            found.append("resource %s has an identifier above 0x7FFF" % where)
        if size >= 0x10000:
            found.append("resource %s is %d bytes, 64 KB or more" % (where, size))
    return found


def rule_no_thread_local_storage(image, map_path):
    # Windows 9x runs no TLS callbacks, and nothing in the player would set the storage up.
    found = []
    if image.directory(9) != (0, 0):
        found.append("the TLS directory is not empty")
    found += ["the image has a .tls section" for s in image.sections if s["name"] == ".tls"]
    with open(map_path, errors="replace") as lines:
        for line in lines:
            output = re.match(r"^\.tls\s+0x[0-9a-f]+\s+0x([0-9a-f]+)", line)
            if output and int(output.group(1), 16):
                found.append("the map gives .tls %d bytes" % int(output.group(1), 16))
    return found


def rule_no_pseudo_relocations(map_path):
    # The fixups of data reached in a DLL without an import; only a runtime would apply them.
    with open(map_path, errors="replace") as lines:
        for line in lines:
            size = re.match(r"^\s+0x([0-9a-f]+)\s+__rt_psrelocs_size = ", line)
            if size:
                value = int(size.group(1), 16)
                return ["the map gives %d bytes of pseudo-relocations" % value] if value else []
    return ["the map does not give __rt_psrelocs_size"]


STRUCTURAL_RULES = [
    ("a Windows 4.0 GUI program for the 386", LOADER, rule_windows_4),
    ("section alignment 0x1000, file alignment 0x200", LOADER, rule_alignments),
    ("contiguous sections", LOADER, rule_contiguous_sections),
    ("image base 0x400000 with valid relocations", LOADER, rule_image_base_and_relocations),
    ("imports by name, unbound", LOADER, rule_imports_by_name),
    ("no CLR header", LOADER, rule_no_clr),
    ("no PNG icon image", LOADER, rule_no_png_icon),
    ("the image a multiple of 512 bytes", OWN, rule_image_end),
    ("short section names, no symbols", OWN, rule_names_and_symbols),
    ("no writable code, no shared section", OWN, rule_section_rights),
    ("the entry point in code", OWN, rule_entry_point),
    ("unused data directories empty", OWN, rule_unused_directories),
    ("DLL characteristics DYNAMIC_BASE and NX_COMPAT only", OWN, rule_dll_characteristics),
    ("numbered resources under 64 KB", OWN, rule_plain_resources),
]


def check_structure(image, map_path):
    broken = []
    for name, kind, rule in STRUCTURAL_RULES:
        broken += ["'%s' (%s): %s" % (name, kind, finding) for finding in rule(image)]
    for name, findings in (
            ("no thread-local storage", rule_no_thread_local_storage(image, map_path)),
            ("no pseudo-relocations", rule_no_pseudo_relocations(map_path))):
        broken += ["'%s' (%s): %s" % (name, RUNTIME, finding) for finding in findings]
    if broken:
        raise Failure("the image breaks these rules:\n  %s" % "\n  ".join(broken))
    print("the image holds every loader rule, every rule of the project's own and both "
          "run-time rules (%d in all)" % (len(STRUCTURAL_RULES) + 2))


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


def check_imports(image, listed):
    imports = image_imports(image)[0]
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


def instruction_386(instruction):
    words = instruction.split()
    while words and words[0] in PREFIX_386:
        words = words[1:]
    if not words:
        return True
    return bool(INSTRUCTION_386.match(words[0])) and not NEWER_REGISTER.search(instruction)


def newer_instructions(objdump, player, runs):
    found = []
    for start, stop in runs:
        listing = run([objdump, "-d", "--start-address=0x%x" % start,
                       "--stop-address=0x%x" % stop, player])
        for line in listing.splitlines():
            parts = line.split("\t")
            if len(parts) < 3 or not re.match(r"^\s*[0-9a-f]+:$", parts[0]):
                continue
            instruction = parts[2].strip()
            if not instruction_386(instruction):
                found.append((int(parts[0].strip().rstrip(":"), 16), instruction))
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
        raise Failure("the player holds %d instructions that a 386 lacks:\n%s"
                      % (len(found), "\n".join(report)))
    print("every instruction one that the 386 has, in %d code ranges" % len(runs))


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
        with open(args.player, "rb") as player:
            image = Image(player.read())
        check_structure(image, args.map)
        check_imports(image, listed_imports(args.imports))
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
