#!/usr/bin/env python3
"""Writes the tab icons (icons/101.ico ... 116.ico) and the drag cursors
(cursors/101.cur, 102.cur) from the pictures drawn below.

The generated files are committed, so the build never runs this script. Run it
after changing a picture:

    python3 resources/make_icons.py            # rewrite the .ico and .cur files
    python3 resources/make_icons.py --preview sheet.png   # also a magnified contact sheet

Icons are 16 x 16 with the 16-colour palette below; every icon file is exactly
318 bytes (6-byte directory header, one 16-byte entry, a 296-byte image), the
layout the add-in and its tests expect. Cursors are 32 x 32 monochrome.
"""
import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# The classic 16-colour palette, (R, G, B), in index order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# Letters of the pictures: '.' is transparent, the rest name palette indices.
ICON_KEYS = {
    'K': 0,   # black
    'r': 1,   # dark red
    'g': 2,   # dark green
    'y': 3,   # olive
    'b': 4,   # navy
    'm': 5,   # purple
    'c': 6,   # teal
    's': 7,   # silver
    'd': 8,   # grey
    'R': 9,   # red
    'G': 10,  # green
    'Y': 11,  # yellow
    'B': 12,  # blue
    'M': 13,  # magenta
    'C': 14,  # cyan
    'W': 15,  # white
}


def blank(size=16):
    return ['.' * size for _ in range(size)]


def paste(base, sprite, x, y):
    """Draws sprite over base at (x, y); '.' in the sprite leaves base as it is."""
    out = [list(row) for row in base]
    for dy, row in enumerate(sprite):
        for dx, ch in enumerate(row):
            if ch != '.':
                out[y + dy][x + dx] = ch
    return [''.join(row) for row in out]


FORM_SMALL = [  # 11 x 11, used twice in the overlapping forms
    "KKKKKKKKKKK",
    "KbbbbbbbbbK",
    "KKKKKKKKKKK",
    "KsssssssssK",
    "KsdssdssdsK",
    "KsssssssssK",
    "KsssssssssK",
    "KsdssdssdsK",
    "KsssssssssK",
    "KsssssssssK",
    "KKKKKKKKKKK",
]

PENCIL = [  # 8 x 8, point at the bottom left
    "......Kr",
    ".....KYr",
    "....KYyK",
    "...KYyK.",
    "..KYyK..",
    ".KWyK...",
    ".KWK....",
    "KK......",
]

SET_SQUARE = [  # 10 x 10, a right triangle with a triangular hole
    "K.........",
    "KK........",
    "KYK.......",
    "KYYK......",
    "KYKYK.....",
    "KYKKYK....",
    "KYK.KYK...",
    "KYKKKKYK..",
    "KYYYYYYYK.",
    "KKKKKKKKKK",
]

GLOBE = [  # 10 x 10
    "...KKKK...",
    ".KKBGGBKK.",
    ".KBGGGBBK.",
    "KBBGGBBGBK",
    "KBBBGBGGGK",
    "KGBBBBGGGK",
    "KGGBBBBGBK",
    ".KGGBBBBK.",
    ".KKBBBBKK.",
    "...KKKK...",
]

DOCUMENT = [  # 12 x 15, a page with a folded corner
    "KKKKKKKK....",
    "KWWWWWWKK...",
    "KWWWWWWKWK..",
    "KWddddWKWWK.",
    "KWWWWWWKKKKK",
    "KWdddddddWWK",
    "KWWWWWWWWWWK",
    "KWdddddddWWK",
    "KWWWWWWWWWWK",
    "KWddddWWWWWK",
    "KWWWWWWWWWWK",
    "KWdddddWWWWK",
    "KWWWWWWWWWWK",
    "KWWWWWWWWWWK",
    "KKKKKKKKKKKK",
]

CODE_WINDOW = [  # 11 x 11
    "KKKKKKKKKKK",
    "KbbbbbbbbbK",
    "KKKKKKKKKKK",
    "KWWWWWWWWWK",
    "KWBBWKKKWWK",
    "KWWWWWWWWWK",
    "KWWKKKKWWWK",
    "KWWWWWWWWWK",
    "KWBBBWKKWWK",
    "KWWWWWWWWWK",
    "KKKKKKKKKKK",
]

GRID = ["KKKKKKKKKKKKK"] + ["KssKWWKWWKWWK", "KssKWWKWWKWWK", "KKKKKKKKKKKKK"] * 4  # 13 x 13, 4 x 4 cells

FORM_LARGE = [  # 12 x 11
    "KKKKKKKKKKKK",
    "KbbbbbbbbbbK",
    "KKKKKKKKKKKK",
    "KssssssssssK",
    "KsdssdssdssK",
    "KssssssssssK",
    "KssssssssssK",
    "KsdssdssdssK",
    "KssssssssssK",
    "KssssssssssK",
    "KKKKKKKKKKKK",
]

ICONS = {}

# 101: a form.
ICONS[101] = [
    "................",
    "KKKKKKKKKKKKKKKK",
    "KbbbbbbbbbbbWbWK",
    "KbbbbbbbbbbbbbbK",
    "KKKKKKKKKKKKKKKK",
    "KssssssssssssssK",
    "KssdssdssdssdssK",
    "KssssssssssssssK",
    "KssssssssssssssK",
    "KssdssdssdssdssK",
    "KssssssssssssssK",
    "KssssssssssssssK",
    "KssdssdssdssdssK",
    "KssssssssssssssK",
    "KKKKKKKKKKKKKKKK",
    "................",
]

# 102: two overlapping forms, the one behind inactive.
ICONS[102] = paste(paste(blank(), [r.replace('b', 'd') for r in FORM_SMALL], 0, 0), FORM_SMALL, 5, 5)

# 103: an MDI form, a child window in its grey client area.
ICONS[103] = [
    "KKKKKKKKKKKKKKKK",
    "KbbbbbbbbbbbWbWK",
    "KKKKKKKKKKKKKKKK",
    "KddddddddddddddK",
    "KdKKKKKKKKKddddK",
    "KdKbbbbbbbKddddK",
    "KdKKKKKKKKKddddK",
    "KdKWWWWWWWKddddK",
    "KdKWWWWWWWKddddK",
    "KdKWWWWWWWKddddK",
    "KdKKKKKKKKKddddK",
    "KddddddddddddddK",
    "KddddddddddddddK",
    "KddddddddddddddK",
    "KKKKKKKKKKKKKKKK",
    "................",
]

# 104: a form with a set square and a pencil.
ICONS[104] = paste(paste(paste(blank(), FORM_LARGE, 0, 0), SET_SQUARE, 6, 6), PENCIL, 8, 0)

# 105: a set square in front of a code window.
ICONS[105] = paste(paste(blank(), CODE_WINDOW, 5, 0), SET_SQUARE, 0, 6)

# 106: a grid with a pencil.
ICONS[106] = paste(paste(blank(), GRID, 0, 3), PENCIL, 8, 0)

# 107: a property page, a tabbed page with labelled fields.
ICONS[107] = ["................", ".KKKKKK.........", "KWsssssK........", "KWssssssKKKKKKKK", "KWssssssssssssdK"]
ICONS[107] += ["KWssssssssssssdK", "KWsbbbsKKKKKKsdK", "KWssssKWWWWWWsdK"] * 3  # three labelled fields
ICONS[107] += ["KddddddddddddddK", "KKKKKKKKKKKKKKKK"]

# 108: a document with a globe.
ICONS[108] = paste(paste(blank(), DOCUMENT, 0, 0), GLOBE, 6, 6)

# 109: linked coloured blocks.
ICONS[109] = [
    "KKKKK...........",
    "KRRRK...........",
    "KRRRKKKKKKKKKK..",
    "KRRRK........K..",
    "KKKKK......KKKKK",
    "..K........KBBBK",
    "..K........KBBBK",
    "..K........KBBBK",
    "..K........KKKKK",
    "..K..........K..",
    "..K..........K..",
    "KKKKK......KKKKK",
    "KGGGK......KYYYK",
    "KGGGKKKKKKKKYYYK",
    "KGGGK......KYYYK",
    "KKKKK......KKKKK",
]

# 110: a box of parts.
ICONS[110] = [
    "..........KKKKK.",
    "...KK.....KCCCK.",
    "..KRRK....KCCCK.",
    "..KRRK.KKKKCCCK.",
    "...KK..KGGKKKKK.",
    ".......KGGK.....",
    "KKKKKKKKKKKKKKKK",
    "KYYYYYYYYYYYYYYK",
    "KKKKKKKKKKKKKKKK",
    ".KyyyyyyyyyyyyK.",
    ".KyyyyyyyyyyyyK.",
    ".KyyyKKKKKKyyyK.",
    ".KyyyKWWWWKyyyK.",
    ".KyyyKKKKKKyyyK.",
    ".KyyyyyyyyyyyyK.",
    ".KKKKKKKKKKKKKK.",
]

# 111: a window with parts: a button, a check box, a text box and shapes.
ICONS[111] = [
    "KKKKKKKKKKKKKKKK",
    "KbbbbbbbbbbbWbWK",
    "KKKKKKKKKKKKKKKK",
    "KssssssssssssssK",
    "KsWWWWWWKssKKKsK",
    "KsWssssdKssKWKsK",
    "KsddddddKssKKKsK",
    "KsKKKKKKKssssssK",
    "KssssssssssssssK",
    "KsKKKKKKKKKKKKsK",
    "KsKWWWWWWWWWWKsK",
    "KsKKKKKKKKKKKKsK",
    "KssssssssssssssK",
    "KsRRRsGGGsBBBBsK",
    "KsRRRsGGGsBBBBsK",
    "KKKKKKKKKKKKKKKK",
]

# 112: a window with labelled fields.
ICONS[112] = [
    "KKKKKKKKKKKKKKKK",
    "KbbbbbbbbbbbWbWK",
    "KKKKKKKKKKKKKKKK",
    "KssssssssssssssK",
    "KssssdddddddddsK",
    "KsbbsdWWWWWWWWsK",
    "KssssssssssssssK",
    "KssssdddddddddsK",
    "KsbbsdWWWWWWWWsK",
    "KssssssssssssssK",
    "KssssdddddddddsK",
    "KsbbsdWWWWWWWWsK",
    "KssssssssssssssK",
    "KssssssssssssssK",
    "KssssssssssssssK",
    "KKKKKKKKKKKKKKKK",
]

# 113: a window with lines of text.
ICONS[113] = [
    "KKKKKKKKKKKKKKKK",
    "KbbbbbbbbbbbWbWK",
    "KKKKKKKKKKKKKKKK",
    "KWWWWWWWWWWWWWWK",
    "KWBBBWKKKKKWWWWK",
    "KWWWWWWWWWWWWWWK",
    "KWWWKKKKKKKWWWWK",
    "KWWWWWWWWWWWWWWK",
    "KWWWgggggggggWWK",
    "KWWWWWWWWWWWWWWK",
    "KWWWKKKKKWWWWWWK",
    "KWWWWWWWWWWWWWWK",
    "KWBBBWWKKKKWWWWK",
    "KWWWWWWWWWWWWWWK",
    "KWWWWWWWWWWWWWWK",
    "KKKKKKKKKKKKKKKK",
]

# 115: a UserForm: a form with a text box and a command button on its face.
ICONS[115] = [
    "................",
    "KKKKKKKKKKKKKKKK",
    "KbbbbbbbbbbbWbWK",
    "KKKKKKKKKKKKKKKK",
    "KssssssssssssssK",
    "KsKKKKKKKKKKKssK",
    "KsKWWWWWWWWWKssK",
    "KsKWKWWWWWWWKssK",
    "KsKKKKKKKKKKKssK",
    "KssssssssssssssK",
    "KssssssWWWWWWWsK",
    "KssssssWssssssdK",
    "KssssssWsKKKKsdK",
    "KssssssddddddddK",
    "KKKKKKKKKKKKKKKK",
    "................",
]

# 116: a document's own module (a workbook, a sheet, a Word document): a page
# ruled into cells.
ICONS[116] = paste(blank(), [
    "KKKKKKKKK...",
    "KWWWWWWWKK..",
    "KWWWWWWWKWK.",
    "KgggggggKKKK",
    "KWdWWdWWWdWK",
    "KdddddddddWK",
    "KWdWWdWWWdWK",
    "KdddddddddWK",
    "KWdWWdWWWdWK",
    "KdddddddddWK",
    "KWdWWdWWWdWK",
    "KdddddddddWK",
    "KWdWWdWWWdWK",
    "KWWWWWWWWWWK",
    "KKKKKKKKKKKK",
], 2, 0)

# 114: assorted shapes.
ICONS[114] = [
    "..KKKK..........",
    ".KRRRRK...KKKKKK",
    "KRRRRRRK..KBBBBK",
    "KRRRRRRK..KBBBBK",
    "KRRRRRRK..KBBBBK",
    ".KRRRRK...KBBBBK",
    "..KKKK....KKKKKK",
    "................",
    "....K...........",
    "...KGK.....K....",
    "...KGK....KYK...",
    "..KGGGK..KYYYK..",
    "..KGGGK.KYYYYYK.",
    ".KGGGGGK.KYYYK..",
    "KGGGGGGGK.KYK...",
    "KKKKKKKKK..K....",
]

# Cursor letters: '.' transparent, 'K' black, 'W' white, 'x' inverts the screen.
CURSOR_BITS = {'.': (1, 0), 'K': (0, 0), 'W': (0, 1), 'x': (1, 1)}  # (AND, XOR)

ARROW = [
    "K",
    "KK",
    "KWK",
    "KWWK",
    "KWWWK",
    "KWWWWK",
    "KWWWWWK",
    "KWWWWWWK",
    "KWWWWWWWK",
    "KWWWWWWWWK",
    "KWWWWWKKKKK",
    "KWWKWWK",
    "KWK.KWWK",
    "KK..KWWK",
    "K....KWWK",
    ".....KWWK",
    "......KK",
]


def cursor_drag():
    """An arrow with a dotted frame below it; the tip is the hot spot (1, 1)."""
    grid = [list('.' * 32) for _ in range(32)]
    for y, row in enumerate(ARROW):
        for x, ch in enumerate(row):
            if ch != '.':
                grid[1 + y][1 + x] = ch
    # The frame alternates black and white so that it shows on any background.
    left, top, right, bottom = 9, 19, 25, 29
    for x in range(left, right + 1):
        for y in (top, bottom):
            grid[y][x] = 'K' if (x + y) % 2 == 0 else 'W'
    for y in range(top, bottom + 1):
        for x in (left, right):
            grid[y][x] = 'K' if (x + y) % 2 == 0 else 'W'
    return [''.join(r) for r in grid], (1, 1)


def cursor_no_drop():
    """A ring crossed by a bar from top left to bottom right, centred on the hot spot (15, 15)."""
    cx = cy = 15
    r_out, r_in = 12.0, 8.5
    grid = []
    for y in range(32):
        row = ''
        for x in range(32):
            d = math.hypot(x - cx, y - cy)
            bar = abs((x - cx) - (y - cy)) / math.sqrt(2)
            if (r_in <= d <= r_out) or (d < r_in and bar <= 1.8):
                ch = 'K'
            elif (r_in - 1.2 <= d <= r_out + 1.2) or (d < r_in + 1.2 and bar <= 3.0):
                ch = 'W'
            else:
                ch = '.'
            row += ch
        grid.append(row)
    return grid, (cx, cy)


CURSORS = {101: cursor_drag(), 102: cursor_no_drop()}


def check_grid(name, grid, size, keys):
    if len(grid) != size:
        raise SystemExit(f"{name}: {len(grid)} rows, expected {size}")
    for i, row in enumerate(grid):
        if len(row) != size:
            raise SystemExit(f"{name}: row {i} has {len(row)} columns, expected {size}")
        bad = set(row) - set(keys) - {'.'}
        if bad:
            raise SystemExit(f"{name}: row {i} uses unknown letters {sorted(bad)}")


def and_mask(grid, transparent):
    """1-bit rows, bottom-up, each padded to 32 bits."""
    size = len(grid)
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in reversed(grid):
        bits = bytearray(stride)
        for x, ch in enumerate(row):
            if transparent(ch):
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def icon_bytes(grid):
    check_grid("icon", grid, 16, ICON_KEYS)
    # Colour mask: 4 bits a pixel, the high nibble first; transparent pixels
    # are black so that the AND/XOR pair leaves the screen untouched.
    xor = bytearray()
    for row in reversed(grid):
        idx = [ICON_KEYS.get(ch, 0) for ch in row]
        for x in range(0, 16, 2):
            xor.append((idx[x] << 4) | idx[x + 1])
    mask = and_mask(grid, lambda ch: ch == '.')
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack('<IiiHHIIiiII', 40, 16, 32, 1, 4, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + palette + bytes(xor) + mask
    assert len(image) == 296, len(image)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', 16, 16, 16, 0, 1, 4, len(image), 22)
    data = directory + entry + image
    assert len(data) == 318
    return data


def cursor_bytes(grid, hotspot):
    check_grid("cursor", grid, 32, CURSOR_BITS)
    xor = and_mask(grid, lambda ch: CURSOR_BITS[ch][1] == 1)
    mask = and_mask(grid, lambda ch: CURSOR_BITS[ch][0] == 1)
    palette = struct.pack('<BBBB', 0, 0, 0, 0) + struct.pack('<BBBB', 255, 255, 255, 0)
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    image = header + palette + xor + mask
    directory = struct.pack('<HHH', 0, 2, 1)
    # In a cursor file the planes and bit-count fields carry the hot spot.
    entry = struct.pack('<BBBBHHII', 32, 32, 2, 0, hotspot[0], hotspot[1], len(image), 22)
    return directory + entry + image


def png(path, width, height, pixels):
    raw = b''.join(b'\x00' + bytes(c for px in pixels[y * width:(y + 1) * width] for c in px)
                   for y in range(height))

    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))

    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n')
        f.write(chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b'IDAT', zlib.compress(raw, 9)))
        f.write(chunk(b'IEND', b''))


def preview(path, scale=8):
    """A contact sheet: the icons on a checkered ground, then the cursors."""
    pictures = [(g, lambda ch: PALETTE[ICON_KEYS[ch]] if ch != '.' else None) for _, g in sorted(ICONS.items())]
    colours = {'K': (0, 0, 0), 'W': (255, 255, 255), 'x': (255, 0, 255)}
    pictures += [(g, lambda ch: colours.get(ch)) for _, (g, _) in sorted(CURSORS.items())]
    gap = 4
    width = sum(len(g) * scale + gap for g, _ in pictures) + gap
    height = 32 * scale + 2 * gap
    pixels = [(90, 160, 200)] * (width * height)
    ox = gap
    for grid, colour_of in pictures:
        n = len(grid)
        for y in range(n * scale):
            for x in range(n * scale):
                c = colour_of(grid[y // scale][x // scale])
                if c is None:
                    c = (200, 200, 200) if ((x // 4) + (y // 4)) % 2 else (235, 235, 235)
                pixels[(gap + y) * width + ox + x] = c
        ox += n * scale + gap
    png(path, width, height, pixels)


def main(argv):
    for rid, grid in sorted(ICONS.items()):
        with open(os.path.join(HERE, 'icons', f'{rid}.ico'), 'wb') as f:
            f.write(icon_bytes(grid))
    for rid, (grid, hotspot) in sorted(CURSORS.items()):
        with open(os.path.join(HERE, 'cursors', f'{rid}.cur'), 'wb') as f:
            f.write(cursor_bytes(grid, hotspot))
    if len(argv) == 3 and argv[1] == '--preview':
        preview(argv[2])


if __name__ == '__main__':
    main(sys.argv)
