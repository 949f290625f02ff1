#!/usr/bin/env python3
"""Draws the sample splash picture and the sample chime of the main job (standard library only)."""
import math
import struct
import sys


def picture(path, width=480, height=300):
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            # A dusk sky, a sun and two hills: the project's own drawing.
            t = y / height
            r, g, b = int(40 + 150 * t), int(60 + 90 * t), int(140 - 60 * t)
            if (x - 340) ** 2 + (y - 110) ** 2 < 45 ** 2:
                r, g, b = 250, 200, 80
            if y > 200 + 40 * math.sin(x / 70.0) or y > 230 + 25 * math.cos(x / 45.0):
                r, g, b = 40, 110 + (x * 7 + y * 3) % 20, 60
            row += bytes((b, g, r))
        row += b"\0" * ((4 - len(row) % 4) % 4)
        rows.append(bytes(row))
    pixels = b"".join(reversed(rows))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + pixels)


def chime(path, seconds=1.2, rate=22050):
    samples = bytearray()
    for i in range(int(rate * seconds)):
        t = i / rate
        value = sum(math.sin(2 * math.pi * f * t) * math.exp(-3 * t * k)
                    for k, f in enumerate((523.25, 659.25, 783.99), start=1))
        samples += struct.pack("<h", int(7000 * value))
    fmt = struct.pack("<4sIHHIIHH", b"fmt ", 16, 1, 1, rate, rate * 2, 2, 16)
    data = struct.pack("<4sI", b"data", len(samples)) + bytes(samples)
    with open(path, "wb") as out:
        out.write(struct.pack("<4sI4s", b"RIFF", 4 + len(fmt) + len(data), b"WAVE") + fmt + data)


if __name__ == "__main__":
    picture(sys.argv[1])
    chime(sys.argv[2])
