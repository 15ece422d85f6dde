#!/usr/bin/env python3
"""Writes the toolbox picture of the SpinEditBox control
(toolbox/spin_edit_box.bmp): a number box with its pair of spin arrows, the
picture a form designer's toolbox shows for the control.

The generated file is committed, so the build never runs this script. Run it
after changing the picture:

    python3 resources/make_toolbox_bitmap.py            # rewrite the .bmp
    python3 resources/make_toolbox_bitmap.py --preview box.png   # also a magnified copy

A toolbox picture is 16 x 15 pixels. This one is a 16-colour bitmap with the
palette of the tab icons; its background is the button-face silver, which is
also its lower-left pixel, the colour toolboxes take as transparent.
"""
import os
import struct
import sys

from make_icons import ICON_KEYS, PALETTE, png

HERE = os.path.dirname(os.path.abspath(__file__))
WIDTH, HEIGHT = 16, 15

# A white box holding "12", a grey spin column with an up and a down arrow.
# Letters as in make_icons.py; 's' (silver) is the background.
TOOLBOX = [
    "ssssssssssssssss",
    "KKKKKKKKKKKKKKKK",
    "KWWWWWWWWKsssssK",
    "KWWWWWWWWKsssssK",
    "KWWWWWWWWKssKssK",
    "KWWKWKKKWKsKKKsK",
    "KWKKWWWKWKsssssK",
    "KWWKWKKKWKKKKKKK",
    "KWWKWKWWWKsssssK",
    "KWKKKKKKWKsKKKsK",
    "KWWWWWWWWKssKssK",
    "KWWWWWWWWKsssssK",
    "KWWWWWWWWKsssssK",
    "KKKKKKKKKKKKKKKK",
    "ssssssssssssssss",
]


def bitmap_bytes(grid):
    if len(grid) != HEIGHT or any(len(row) != WIDTH for row in grid):
        raise SystemExit(f"the picture must be {WIDTH} x {HEIGHT}")
    stride = ((WIDTH * 4 + 31) // 32) * 4
    rows = bytearray()
    for row in reversed(grid):  # bottom-up
        line = bytearray(stride)
        for x, ch in enumerate(row):
            line[x // 2] |= ICON_KEYS[ch] << (4 if x % 2 == 0 else 0)
        rows += line
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 4, 0, len(rows), 0, 0, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(rows), 0, 0, offset)
    return header + info + palette + bytes(rows)


def main(argv):
    with open(os.path.join(HERE, 'toolbox', 'spin_edit_box.bmp'), 'wb') as f:
        f.write(bitmap_bytes(TOOLBOX))
    if len(argv) == 3 and argv[1] == '--preview':
        scale = 12
        pixels = [PALETTE[ICON_KEYS[TOOLBOX[y // scale][x // scale]]]
                  for y in range(HEIGHT * scale) for x in range(WIDTH * scale)]
        png(argv[2], WIDTH * scale, HEIGHT * scale, pixels)


if __name__ == '__main__':
    main(sys.argv)
