#!/usr/bin/env python3
"""Draws the player's two file icons and writes them as .ico files.

Each icon holds nine images: 48, 32 and 16 pixels, each at 16 colours, 256 colours and true
colour with alpha. The shapes are drawn in a unit square and sampled 4 x 4 per pixel, so every
size comes from the same drawing. Only the standard library is used, and the output is the same
byte for byte on every run, so the committed icons can be checked against this script.

Usage: make_icons.py [--check] [OUTPUT_DIR]
  OUTPUT_DIR defaults to resources/icons next to this tool's folder.
  --check compares instead of writing and exits 1 when a committed icon differs.
"""

import os
import struct
import sys

SIZES = (48, 32, 16)
BIT_COUNTS = (4, 8, 32)
SAMPLES = 4  # per axis

# The 16 colours of the standard VGA palette, in its usual order.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette256():
    """VGA colours first, then a 6 x 6 x 6 colour cube, then greys to fill 256 entries."""
    colours = list(VGA16)
    levels = (0, 51, 102, 153, 204, 255)
    for r in levels:
        for g in levels:
            for b in levels:
                colours.append((r, g, b))
    grey = 8
    while len(colours) < 256:
        colours.append((grey, grey, grey))
        grey += 10
    return colours


# ---------------------------------------------------------------- shapes (unit square, y down)

def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def clipped(shape, clip):
    return lambda x, y: clip(x, y) and shape(x, y)


# Colours of the drawings.
FRAME_DARK = (92, 52, 18)
FRAME_LIGHT = (214, 150, 58)
SKY = (96, 170, 236)
SUN = (255, 214, 40)
HILL_FAR = (46, 139, 87)
HILL_NEAR = (24, 96, 40)
TITLE_BAR = (20, 60, 160)
WINDOW_EDGE = (40, 40, 48)
BUTTON = (236, 236, 236)


def landscape(x0, y0, x1, y1):
    """Sky, sun and two hills filling the given box."""
    w, h = x1 - x0, y1 - y0
    box = rect(x0, y0, x1, y1)

    def at(u, v):
        return (x0 + u * w, y0 + v * h)

    far = polygon([at(-0.1, 1.1), at(-0.1, 0.62), at(0.35, 0.30), at(0.78, 0.72), at(0.78, 1.1)])
    near = polygon([at(0.20, 1.1), at(0.62, 0.48), at(1.1, 0.86), at(1.1, 1.1)])
    return [
        (box, SKY),
        (clipped(circle(x0 + 0.76 * w, y0 + 0.26 * h, 0.15 * min(w, h)), box), SUN),
        (clipped(far, box), HILL_FAR),
        (clipped(near, box), HILL_NEAR),
    ]


def picture_frame():
    """Icon 129: a framed picture of a landscape."""
    return [
        (rounded_rect(0.02, 0.08, 0.98, 0.92, 0.06), FRAME_DARK),
        (rect(0.08, 0.14, 0.92, 0.86), FRAME_LIGHT),
    ] + landscape(0.16, 0.22, 0.84, 0.78)


def picture_window():
    """Icon 130: the same landscape shown in a window with a title bar."""
    return [
        (rect(0.02, 0.06, 0.98, 0.94), WINDOW_EDGE),
        (rect(0.06, 0.10, 0.94, 0.28), TITLE_BAR),
        (rect(0.78, 0.14, 0.90, 0.24), BUTTON),
    ] + landscape(0.06, 0.32, 0.94, 0.90)


ICONS = (("splash_picture.ico", picture_frame), ("splash_window.ico", picture_window))


# ---------------------------------------------------------------- rasterising

def render(shapes, size):
    """Returns rows (top first) of (r, g, b, a) pixels with straight alpha."""
    rows = []
    n = SAMPLES * SAMPLES
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    colour = None
                    for inside, c in shapes:
                        if inside(x, y):
                            colour = c
                    if colour is not None:
                        covered += 1
                        for k in range(3):
                            acc[k] += colour[k]
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                rgb = tuple((acc[k] + covered // 2) // covered for k in range(3))
                row.append(rgb + ((covered * 255 + n // 2) // n,))
        rows.append(row)
    return rows


def nearest(palette, rgb):
    best, best_distance = 0, None
    for index, (r, g, b) in enumerate(palette):
        d = (r - rgb[0]) ** 2 + (g - rgb[1]) ** 2 + (b - rgb[2]) ** 2
        if best_distance is None or d < best_distance:
            best, best_distance = index, d
    return best


def padded(row_bytes):
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def and_mask(pixels):
    """1 marks a transparent pixel; rows bottom first, each padded to 32 bits."""
    out = b""
    for row in reversed(pixels):
        bits = bytearray((len(row) + 7) // 8)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += padded(bytes(bits))
    return out


def encode_image(pixels, bit_count):
    """One icon image: BITMAPINFOHEADER (height doubled), palette, XOR bits, AND mask."""
    size = len(pixels)
    palette = {4: VGA16, 8: palette256()}.get(bit_count, [])
    xor = b""
    for row in reversed(pixels):
        if bit_count == 32:
            line = b"".join(struct.pack("<4B", b, g, r, a) for r, g, b, a in row)
        else:
            # Transparent pixels are black so that the AND mask leaves the screen untouched.
            indices = [nearest(palette, (r, g, b)) if a >= 128 else 0 for r, g, b, a in row]
            if bit_count == 8:
                line = bytes(indices)
            else:
                line = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, size, 2))
        xor += padded(line)
    mask = and_mask(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bit_count, 0,
                         len(xor) + len(mask), 0, 0, len(palette), 0)
    colours = b"".join(struct.pack("<4B", b, g, r, 0) for r, g, b in palette)
    return header + colours + xor + mask


def build_icon(drawing):
    images = []
    for size in SIZES:
        pixels = render(drawing(), size)
        for bit_count in BIT_COUNTS:
            images.append((size, bit_count, encode_image(pixels, bit_count)))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, bit_count, data in images:
        colour_count = 16 if bit_count == 4 else 0
        entries += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bit_count,
                               len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, _, data in images)


def main(argv):
    check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = args[0] if args else os.path.join(here, "..", "..", "resources", "icons")
    stale = []
    for name, drawing in ICONS:
        data = build_icon(drawing)
        path = os.path.join(out_dir, name)
        if check:
            try:
                with open(path, "rb") as f:
                    if f.read() != data:
                        stale.append(path)
            except OSError:
                stale.append(path)
        else:
            os.makedirs(out_dir, exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
    for path in stale:
        print("icon differs from its drawing: " + path, file=sys.stderr)
    return 1 if stale else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
