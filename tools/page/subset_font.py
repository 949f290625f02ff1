#!/usr/bin/python3
"""Writes the part of a TrueType font that the page's preview draws with, at build time:
    subset_font.py <font.ttf> <characters.txt> <subset.ttf>
characters.txt holds a hexadecimal code point a line (code_page_tables writes it): every
character the single-byte code pages but 874 can show. The preview's own texts (the caption,
"OK", escapes of bytes that mean nothing) are ASCII, and a malformed message shows U+FFFD.

The subset keeps what stb_truetype reads to lay out and draw a glyph: cmap, glyf, loca, hmtx,
hhea, head, maxp, and GPOS for kerning (every lookup: it reads every pair adjustment lookup,
whatever feature it belongs to). Hinting, glyph substitution and names beyond the required
ones go. The same font and list always give the same bytes."""

import os
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

# Printable ASCII and the replacement character.
EXTRA_CHARACTERS = list(range(0x20, 0x7F)) + [0xFFFD]


def main(font_path, list_path, output_path):
    with open(list_path, encoding="ascii") as listing:
        characters = [int(line, 16) for line in listing if line.strip()]
    options = subset.Options()
    options.layout_features = ["*"]
    options.drop_tables += ["GSUB", "kern", "MATH", "gasp", "FFTM"]
    options.hinting = False
    options.name_IDs = [1, 2]
    options.name_languages = [0x409]
    options.notdef_outline = True
    options.glyph_names = False
    options.recalc_timestamp = False
    font = TTFont(font_path, recalcTimestamp=False)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=sorted(set(characters + EXTRA_CHARACTERS)))
    subsetter.subset(font)
    # The original's dates, not the time of the build.
    font["head"].modified = font["head"].created
    font.save(output_path + ".part")
    font.close()
    os.replace(output_path + ".part", output_path)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit("usage: subset_font.py <font.ttf> <characters.txt> <subset.ttf>")
    main(*sys.argv[1:])
