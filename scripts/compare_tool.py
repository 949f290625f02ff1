#!/usr/bin/env python3
"""Runs this tree's splashpack and the splashpack of another commit over one table of cases and
compares what each writes: standard output, standard error, the exit code and every file left in
the folder it ran in. A change that should leave the tool's behaviour as it was is checked so.

    scripts/compare_tool.py COMMIT [--tool PATH] [--keep]

The other commit's tool is built in build/compare/COMMIT from `git archive`, carrying the same
player as this tree's release build (build/windows/app/splash_player.exe), so that their
splashes can be the same byte for byte. This tree's tool is the release build's, built first
(--tool names another). Help texts are compared only by their exit codes: their layout may
change; each of their lines must fit 80 columns.
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import wave
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PLAYER = os.path.join(ROOT, "build", "windows", "app", "splash_player.exe")
CORPUS = os.path.join(ROOT, "tests", "data", "bmp")


def run(command, **options):
    subprocess.run(command, check=True, **options)


def build_this_tree():
    if not os.path.exists(os.path.join(ROOT, "build", "release", "CMakeCache.txt")):
        run(["cmake", "--preset", "release"], cwd=ROOT, stdout=subprocess.DEVNULL)
    run(["cmake", "--build", "--preset", "release", "--target", "splashpack", "-j2"], cwd=ROOT,
        stdout=subprocess.DEVNULL)
    return os.path.join(ROOT, "build", "release", "tools", "splashpack", "splashpack")


def build_commit(commit):
    sha = subprocess.run(["git", "rev-parse", "--verify", commit + "^{commit}"], cwd=ROOT,
                         check=True, stdout=subprocess.PIPE, text=True).stdout.strip()
    place = os.path.join(ROOT, "build", "compare", sha[:12])
    source, binary = os.path.join(place, "source"), os.path.join(place, "build")
    if not os.path.isdir(source):
        os.makedirs(source)
        archive = subprocess.run(["git", "archive", sha], cwd=ROOT, check=True,
                                 stdout=subprocess.PIPE).stdout
        run(["tar", "-x", "-C", source], input=archive)
    if not os.path.exists(os.path.join(binary, "CMakeCache.txt")):
        run(["cmake", "-S", source, "-B", binary, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
             "-DSPLASH_TESTS=OFF", "-DSPLASH_PLAYER_EXE=" + PLAYER], stdout=subprocess.DEVNULL)
    run(["cmake", "--build", binary, "--target", "splashpack", "-j2"], stdout=subprocess.DEVNULL)
    return os.path.join(binary, "tools", "splashpack", "splashpack")


# ---- the inputs, made the same way on every run ----

def bmp24(width, height, pixel):
    row = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height):
        line = bytearray()
        for x in range(width):
            line += bytes(pixel(x, height - 1 - y))
        data += line + bytes(row - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def png(width, height, pixel, alpha):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(width):
            r, g, b = pixel(x, y)
            raw += bytes((r, g, b) + (((x * 255) // max(width - 1, 1),) if alpha else ()))
    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def gradient(x, y):
    return ((x * 7) & 255, (y * 5) & 255, ((x + y) * 3) & 255)


def tone(path, rate, channels, width, seconds):
    with wave.open(path, "wb") as sound:
        sound.setnchannels(channels)
        sound.setsampwidth(width)
        sound.setframerate(rate)
        frames = bytearray()
        for n in range(int(rate * seconds)):
            value = ((n * 37) % 200) - 100
            sample = (value + 128 if width == 1 else value * 200).to_bytes(
                width, "little", signed=width > 1)
            frames += sample * channels
        sound.writeframes(bytes(frames))


def icon():
    image = struct.pack("<IiiHHIIiiII", 40, 16, 32, 1, 32, 0, 0, 0, 0, 0, 0)
    image += bytes([0x40, 0x80, 0xC0, 0xFF]) * 256 + bytes(64)
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 16, 16, 0, 0, 1, 32,
                                                      len(image), 22) + image


def make_inputs(folder):
    def put(name, data):
        with open(os.path.join(folder, name), "wb") as file:
            file.write(data)
    put("plain.bmp", bmp24(64, 48, gradient))
    put("big.bmp", bmp24(1200, 900, gradient))
    put("alpha.png", png(40, 30, gradient, True))
    put("photo.png", png(120, 90, gradient, False))
    for name in ("g/pal8.bmp", "g/pal4rle.bmp", "g/rgb32.bmp", "g/rgb16-565.bmp", "q/rgba32-1.bmp",
                 "b/shortfile.bmp"):
        shutil.copy(os.path.join(CORPUS, name), os.path.join(folder, name.replace("/", "-")))
    png_path = os.path.join(folder, "photo.png")
    run(["convert", png_path, "-quality", "85", os.path.join(folder, "photo.jpg")])
    run(["convert", png_path, "-orient", "right-top", "-quality", "85",
         os.path.join(folder, "turned.jpg")])
    run(["convert", png_path, os.path.join(folder, "photo.gif")])
    tone(os.path.join(folder, "chime.wav"), 44100, 2, 2, 0.3)
    tone(os.path.join(folder, "low.wav"), 11025, 1, 1, 0.2)
    tone(os.path.join(folder, "deep.wav"), 48000, 2, 3, 0.1)
    run(["sox", "-n", "-r", "22050", "-c", "1", "-e", "floating-point", "-b", "32",
         os.path.join(folder, "float.wav"), "synth", "0.1", "sine", "440"])
    put("empty.wav", b"RIFF" + struct.pack("<I", 36) + b"WAVEfmt " +
        struct.pack("<IHHIIHH", 16, 1, 1, 22050, 44100, 2, 16) + b"data" + struct.pack("<I", 0))
    put("disc.ico", icon())
    put("notes.txt", b"not a picture\n")
    put("setup.exe", b"MZ")
    shutil.copy(PLAYER, os.path.join(folder, "player.exe"))


# ---- the cases: each a list of command lines run in turn in one fresh folder ----

def B(*arguments):
    return ["build", "-p", "plain.bmp", "-o", "s.exe"] + list(arguments)


CASES = {
    "help": [["--help"], ["help"], ["help", "build"], ["build", "--help"], ["inspect", "-h"],
             ["extract", "--help"], ["preview", "--help"], ["help", "pack"]],
    "version": [["--version"]],
    "usage errors": [[], ["pack"], ["build"], ["build", "-p", "plain.bmp"],
                     ["build", "-o", "s.exe"], ["build", "-p"], ["build", "--bogus"],
                     ["build", "-x"], ["build", "--force=yes"], B("extra"),
                     B("-p", "again.bmp"), B("--min-color-depth", "8", "-c", "16"),
                     B("-d", "3"), B("-d", "1.5ms"), B("-l", "4294967246ms"), B("-w", "win7"),
                     B("-w", ","), B("-r", "800"), B("-r", "0x600"), B("-c", "33"),
                     B("--colours", "8"), B("--colors", "256", "--colours", "16"),
                     B("--sound-rate", "44100"), B("--sound-bits", "24"),
                     B("--image-option", "0x100000000"), B("--background", "red"),
                     B("--max-picture-bytes", "12q"), B("--code-page", "1200"),
                     B("-t", "C:\\setup.exe"), B("-t", "/setup.exe"),
                     B("--autorun-label", "X"), B("--autorun-icon", "disc.ico"),
                     ["inspect"], ["inspect", "a", "b"], ["inspect", "--directory", "x", "a"],
                     ["extract"], ["preview", "s.exe", "-o", "p.png"],
                     ["preview", "s.exe", "--screen", "800x600"],
                     ["preview", "s.exe", "-o", "p.png", "--screen", "16385x600"],
                     ["preview", "s.exe", "-o", "p.png", "--screen", "8x6", "--windows", "98,xp"],
                     ["preview", "s.exe", "-o", "p.png", "--screen", "8x6",
                      "--sixteen-bit-layout", "555"],
                     ["preview", "s.exe", "-o", "p.png", "--screen", "8x6", "--depth", "16",
                      "--sixteen-bit-layout", "556"],
                     ["inspect", "-j", "--bogus", "x.exe"], ["inspect", "--json"]],
    "pictures": [B(), ["build", "-p", "g-pal8.bmp", "-o", "a.exe", "-t", "setup.exe"],
                 ["build", "-p", "g-pal4rle.bmp", "-o", "b.exe"],
                 ["build", "-p", "g-rgb32.bmp", "-o", "c.exe"],
                 ["build", "-p", "g-rgb16-565.bmp", "-o", "d.exe"],
                 ["build", "-p", "q-rgba32-1.bmp", "-o", "e.exe"],
                 ["build", "-p", "alpha.png", "-o", "f.exe", "--background", "#203040"],
                 ["build", "-p", "photo.jpg", "-o", "g.exe"],
                 ["build", "-p", "turned.jpg", "-o", "h.exe"],
                 ["build", "-p", "photo.gif", "-o", "i.exe"]],
    "bad pictures": [["build", "-p", "b-shortfile.bmp", "-o", "a.exe"],
                     ["build", "-p", "notes.txt", "-o", "b.exe"],
                     ["build", "-p", "none.png", "-o", "c.exe"],
                     ["build", "-p", ".", "-o", "d.exe"],
                     ["build", "-p", "big.bmp", "-o", "e.exe", "--max-picture", "640x480"],
                     ["build", "-p", "big.bmp", "-o", "f.exe", "--max-picture-bytes", "100k"],
                     ["build", "-p", "photo.png", "-o", "g.exe", "--max-decoded-pixels", "1k"]],
    "fit and colours": [["build", "-p", "big.bmp", "-o", "a.exe", "-r", "800x600"],
                        ["build", "-p", "big.bmp", "-o", "b.exe", "--fit", "640x480"],
                        ["build", "-p", "photo.png", "-o", "c.exe", "--fit", "1024x768"],
                        ["build", "-p", "photo.png", "-o", "d.exe", "--colours", "256"],
                        ["build", "-p", "photo.png", "-o", "e.exe", "--colors", "16",
                         "--no-dither"],
                        ["build", "-p", "photo.png", "-o", "f.exe", "--colours", "system",
                         "-c", "8"],
                        ["build", "-p", "big.bmp", "-o", "g.exe", "--fit", "800x600",
                         "--colours", "256"],
                        ["build", "-p", "photo.png", "-o", "h.exe", "-c", "8"]],
    "sounds": [B("-s", "chime.wav"), B("-s", "chime.wav", "-f", "--sound-rate", "22050",
                                       "--mono", "--sound-bits", "8"),
               B("-s", "low.wav", "-f", "-d", "100ms", "-l", "0"),
               B("-s", "deep.wav", "-f", "--sound-bits", "16"),
               B("-s", "deep.wav", "-f"), B("-s", "float.wav", "-f"),
               B("-s", "float.wav", "-f", "--sound-rate", "11025"),
               B("-s", "empty.wav", "-f"), B("-s", "notes.txt", "-f"), B("-s", "none.wav", "-f")],
    "settings and warnings": [B("-t", "setup.exe", "-d", "4s", "-l", "1s", "-w", "all",
                                "-r", "800x600", "-c", "16", "-m", "Needs more."),
                              B("-f", "-w", "98,me", "-d", "1000ms", "-l", "1000ms"),
                              B("-f", "-w", "nt", "-d", "500ms", "-l", "2s"),
                              B("-f", "--image-option", "5", "-t", "SETUP.EXE"),
                              B("-f", "-t", "sub\\missing.exe"),
                              B("-f", "-t", "con.txt"), B("-f", "-t", "a<b.exe"),
                              ["build", "-p", "plain.bmp", "-o", "splash.bin"],
                              B("-f", "-q", "-t", "x.exe"), B("-fq")],
    "code pages": [B("-m", "Désolé", "-t", "café.exe"),
                   B("-f", "--code-page", "1251", "-m", "Привет", "-t", "файл.exe"),
                   B("-f", "--code-page", "932", "-m", "日本語", "-t", "ア.exe"),
                   B("-f", "--code-page", "874", "-m", "ไทย"),
                   B("-f", "-m", "中文"), B("-f", "-t", "中.exe"),
                   B("-f", "--code-page", "1253", "-m", "Ωμέγα"),
                   ["inspect", "s.exe", "--code-page", "1251"], ["inspect", "s.exe"]],
    "outputs": [B(), B(), B("-f"), ["build", "-p", "plain.bmp", "-o", "plain.bmp"],
                ["build", "-p", "plain.bmp", "-o", "./plain.bmp", "-f"],
                ["build", "-p", "plain.bmp", "-o", "x.exe", "-s", "chime.wav", "-f",
                 "--player", "x.exe"],
                ["build", "-p", "plain.bmp", "-o", "."], ["build", "-p", "plain.bmp", "-o",
                                                          "nowhere/s.exe"]],
    "autorun": [B("-a", "--autorun-label", "DEMO CD"),
                ["build", "-p", "plain.bmp", "-o", "long name.exe", "-a"],
                ["build", "-p", "plain.bmp", "-o", "longsplashname.exe", "-a", "-f"],
                ["build", "-p", "plain.bmp", "-o", "t.exe", "-a", "-f", "--autorun-label", "中"],
                ["build", "-p", "plain.bmp", "-o", "u.exe", "-a", "-f", "--autorun-icon",
                 "disc.ico"],
                ["build", "-p", "plain.bmp", "-o", "v.exe", "-a", "-f", "--autorun-icon",
                 "plain.bmp"],
                ["build", "-p", "plain.bmp", "-o", "out/w.exe", "-a", "--autorun-icon",
                 "disc.ico"],
                ["extract", "u.exe", "-C", "out"],
                ["build", "-p", "plain.bmp", "-o", "out/w.exe", "-a", "--autorun-icon",
                 "disc.ico"],
                ["build", "-p", "plain.bmp", "-o", "out/disc.exe", "-a", "-f",
                 "--autorun-icon", "disc.ico"],
                ["build", "-p", "plain.bmp", "-o", "x.exe", "-a", "-f", "--autorun-icon",
                 "x.exe"]],
    "player and like": [B("--player", "player.exe", "-s", "chime.wav", "-t", "setup.exe",
                          "-m", "Old", "-r", "640x480", "-w", "98"),
                        ["build", "--like", "s.exe", "-o", "a.exe", "-d", "5s"],
                        ["build", "--like", "s.exe", "-o", "b.exe", "--sound", "", "-t", "",
                         "-m", ""],
                        ["build", "--like", "s.exe", "-o", "c.exe", "-p", "photo.png",
                         "--fit", "32x32"],
                        ["build", "--like", "s.exe", "-o", "d.exe", "--colours", "16"],
                        ["build", "--like", "plain.bmp", "-o", "e.exe"],
                        ["build", "--like", "s.exe", "-o", "s.exe", "-f"],
                        ["build", "-p", "plain.bmp", "-o", "f.exe", "--player", "plain.bmp"],
                        ["build", "-p", "plain.bmp", "-o", "g.exe", "--player", "s.exe"],
                        ["build", "-p", "plain.bmp", "-o", "h.exe", "--player", "none.exe"],
                        ["inspect", "a.exe"], ["inspect", "b.exe", "--json"],
                        ["inspect", "c.exe", "-q"]],
    "inspect": [B("-s", "chime.wav", "-t", "setup.exe", "-m", "Ünïcode"),
                ["inspect", "s.exe"], ["inspect", "--json", "s.exe"], ["inspect", "-j", "-q",
                                                                        "s.exe"],
                ["inspect", "plain.bmp"], ["inspect", "--json", "plain.bmp"],
                ["inspect", "none.exe"], ["inspect", "."], ["inspect", "player.exe"],
                ["inspect", "--", "s.exe"]],
    "extract": [B("-s", "chime.wav"), ["extract", "s.exe"], ["extract", "s.exe"],
                ["extract", "s.exe", "-f", "-C", "out/"],
                ["extract", "s.exe", "-p", "pic.png", "-s", "snd.mp3"],
                ["extract", "s.exe", "-p", "same", "-s", "same"],
                ["extract", "s.exe", "-p", "s.exe"], ["extract", "plain.bmp"],
                ["extract", "-fq", "-C", "q", "s.exe"]],
    "preview": [B("-s", "chime.wav", "-t", "setup.exe", "-r", "1024x768", "-m", "Trop petit: é",
                  "-w", "98,xp", "-d", "2s"),
                ["preview", "s.exe", "--screen", "800x600", "-o", "a.png"],
                ["preview", "s.exe", "--screen", "1024x768", "-o", "b.png", "--depth", "16"],
                ["preview", "s.exe", "--screen", "1024x768", "-o", "c.png", "--depth", "16",
                 "--sixteen-bit-layout", "555"],
                ["preview", "s.exe", "--screen", "1280x1024", "-o", "d.png", "--depth", "8"],
                ["preview", "s.exe", "--screen", "1024x768", "-o", "e.png", "--windows", "me"],
                ["preview", "s.exe", "--screen", "1024x768", "-o", "f.gif"],
                ["preview", "s.exe", "--screen", "640x480", "-o", "-"],
                ["preview", "s.exe", "--screen", "640x480", "-o", "a.png"],
                ["preview", "s.exe", "--screen", "640x480", "-o", "s.exe", "-f"],
                ["preview", "s.exe", "--screen", "640x480", "-o", "a.png", "-fq"],
                ["preview", "plain.bmp", "--screen", "640x480", "-o", "g.png"]],
}


def snapshot(folder):
    files = {}
    for base, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(base, name)
            with open(path, "rb") as file:
                files[os.path.relpath(path, folder)] = file.read()
    return files


def run_case(tool, inputs, folder, commands):
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(inputs, folder)
    results = []
    for arguments in commands:
        done = subprocess.run([tool] + arguments, cwd=folder, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        results.append((done.returncode, done.stdout, done.stderr))
    return results, snapshot(folder)


def is_help(arguments):
    return bool(arguments) and ("--help" in arguments or "-h" in arguments or
                                arguments[0] == "help")


def compare(base_tool, tool, keep, show):
    scratch = tempfile.mkdtemp(prefix="splash-compare-")
    inputs = os.path.join(scratch, "inputs")
    os.makedirs(inputs)
    make_inputs(inputs)
    folder = os.path.join(scratch, "case")
    differences, commands = [], 0
    try:
        for name, case in CASES.items():
            base, base_files = run_case(base_tool, inputs, folder, case)
            this, this_files = run_case(tool, inputs, folder, case)
            for arguments, (code0, out0, err0), (code1, out1, err1) in zip(case, base, this):
                commands += 1
                shown = "%s: splashpack %s" % (name, " ".join(arguments))
                if show:
                    print("  %s -> %d %s" % (shown, code1, (err1 or out1).decode(
                        errors="replace").split("\n")[0][:150]))
                if code0 != code1:
                    differences.append("%s: exit code %d, was %d" % (shown, code1, code0))
                if is_help(arguments):
                    wide = [line for line in out1.decode().split("\n") if len(line) > 80]
                    if wide:
                        differences.append("%s: %d lines wider than 80 columns" %
                                           (shown, len(wide)))
                    continue
                for what, old, new in (("standard output", out0, out1),
                                       ("standard error", err0, err1)):
                    if old != new:
                        differences.append("%s: %s differs\n  was: %r\n  now: %r" %
                                           (shown, what, old[:400], new[:400]))
            for path in sorted(set(base_files) | set(this_files)):
                if base_files.get(path) != this_files.get(path):
                    state = ("missing" if path not in this_files else
                             "new" if path not in base_files else "differs")
                    differences.append("%s: file %s %s" % (name, path, state))
            print("%-22s %2d commands, %2d files: %s" % (
                name, len(case), len(this_files),
                "differs" if any(d.startswith(name + ":") for d in differences) else "same"))
    finally:
        if keep:
            print("inputs and the last case kept in " + scratch)
        else:
            shutil.rmtree(scratch, ignore_errors=True)
    return differences, commands


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("commit", help="the commit whose splashpack is compared with this one")
    parser.add_argument("--tool", help="this tree's splashpack (default: the release build's)")
    parser.add_argument("--keep", action="store_true", help="keep the scratch folder")
    parser.add_argument("--show", action="store_true",
                        help="print each command's exit code and first line")
    options = parser.parse_args()
    if not os.path.exists(PLAYER):
        sys.exit("compare_tool: no %s; build the windows preset's splash_player first" % PLAYER)
    tool = os.path.abspath(options.tool) if options.tool else build_this_tree()
    base_tool = build_commit(options.commit)
    differences, commands = compare(base_tool, tool, options.keep, options.show)
    for difference in differences:
        print(difference)
    print("%d cases, %d commands against %s: %s" % (
        len(CASES), commands, options.commit,
        "%d differences" % len(differences) if differences else "the same"))
    sys.exit(1 if differences else 0)


if __name__ == "__main__":
    main()
