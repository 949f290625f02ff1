#!/usr/bin/env python3
"""Draws the page's icons for its web app manifest: a splash (a picture with a bright disc) on a
window of a blue desktop, at each size asked, as PNG files.
   draw_icons.py FOLDER SIZE..."""
import os
import struct
import sys
import zlib

DESKTOP = (47, 95, 167)
FRAME = (235, 238, 244)
TITLE = (27, 27, 27)
SKY = (250, 200, 80)
SUN = (200, 40, 30)


def colour_at(x, y, size):
    """The colour of the pixel whose centre is at (x, y) of a square `size` pixels a side."""
    u = (x + 0.5) / size
    v = (y + 0.5) / size
    if not (0.16 <= u <= 0.84 and 0.22 <= v <= 0.78):
        return DESKTOP
    if not (0.19 <= u <= 0.81 and 0.25 <= v <= 0.75):
        return FRAME
    if v < 0.33:
        return TITLE
    if (u - 0.5) ** 2 + (v - 0.54) ** 2 < 0.13 ** 2:
        return SUN
    # The picture's sky, lighter towards its top.
    shade = (v - 0.33) / 0.42
    return tuple(int(c * (1 - 0.25 * shade)) for c in SKY)


def png(size):
    rows = b"".join(b"\0" + bytes(c for x in range(size) for c in colour_at(x, y, size))
                    for y in range(size))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff))

    header = struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def main():
    folder = sys.argv[1]
    for size in sys.argv[2:]:
        with open(os.path.join(folder, "icon-%s.png" % size), "wb") as out:
            out.write(png(int(size)))


if __name__ == "__main__":
    main()
