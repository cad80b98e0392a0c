#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Draws the program's two icons and writes them as Windows .ico files.

mainframe.ico (IDR_MAINFRAME): a clock face on a chip package with pins on four sides.
caution.ico (IDI_CAUTION): a yellow warning triangle with an exclamation mark.

Each file holds a 32 x 32 and a 16 x 16 image of 16 colours (4 bits per pixel, the standard
Windows palette, with an AND mask), as Windows 95 and 98 expect. The pictures are drawn from
the shapes below, sampled at pixel centres, so a run always writes the same bytes.

The desktop's icon themes get the same clock chip as a PNG of any size (true colour with an
alpha channel, the palette's colours and transparent where the .ico is clear):

    make_icons.py                   write both files beside this script
    make_icons.py --out DIR         write them into DIR
    make_icons.py --check           exit 1 when the files beside this script differ from a new drawing
    make_icons.py --png SIZE FILE   write the program's icon as a SIZE x SIZE PNG to FILE
"""

import math
import os
import struct
import sys
import zlib

# The standard 16-colour palette of Windows, in index order, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_RED, NAVY, SILVER, GREY, RED, YELLOW, WHITE = 0, 1, 4, 7, 8, 9, 11, 15
CLEAR = None  # a transparent pixel

SIZES = (32, 16)


# ---------------------------------------------------------------------------------------------
# Pictures. Each is a function of a point in a 32 x 32 design space, whatever the image size,
# and the size of one pixel in design units (2 at 16 x 16, 1 at 32 x 32, less above), returning
# a palette index or CLEAR.
# Coordinates grow right and down.

def clock_chip(x, y, px):
    # Edges lie on even design units, so both sizes come out symmetric about the centre.
    body_lo, body_hi = 4, 28
    if body_lo <= x < body_hi and body_lo <= y < body_hi:
        if x < body_lo + px or y < body_lo + px or x >= body_hi - px or y >= body_hi - px:
            return BLACK
        # The clock face: a white dial with a black rim, ticks at 12, 3, 6 and 9 where there is
        # room for them, a minute hand at 12 and an hour hand at about 4.
        dx, dy = x - 16.0, y - 16.0
        r = math.hypot(dx, dy)
        radius = 9.0
        if r >= radius:
            return GREY
        if r >= radius - px:
            return BLACK
        if px <= 1 and r >= radius - 3.0 and (abs(dx) < 1.0 or abs(dy) < 1.0):
            return DARK_RED
        hand = 1.0 if px == 1 else 1.1  # two pixels wide at 16 x 16, where no pixel is central
        if near_segment(x, y, 16.0, 16.0, 16.0, 9.5, hand):
            return NAVY
        if near_segment(x, y, 16.0, 16.0, 20.0, 18.5, hand):
            return RED
        return WHITE
    # Four pins on each side, one pixel of 16 x 16 apart.
    def on_pin(t):
        return any(first <= t < first + 2 for first in (6, 12, 18, 24))
    if (2 <= y < body_lo or body_hi <= y < 30) and on_pin(x):
        return SILVER
    if (2 <= x < body_lo or body_hi <= x < 30) and on_pin(y):
        return SILVER
    return CLEAR


def caution_sign(x, y, px):
    inside, distance = triangle_distance(x, y, (16.0, 1.0), (0.5, 29.5), (31.5, 29.5))
    if not inside:
        return CLEAR
    if distance < 2.0:
        return BLACK
    # The exclamation mark: a bar and a dot, 4 design units wide, on the triangle's axis.
    if 14 <= x < 18 and (9 <= y < 21 or 23 <= y < 27):
        return BLACK
    return YELLOW


def near_segment(x, y, x0, y0, x1, y1, half_width):
    vx, vy = x1 - x0, y1 - y0
    t = max(0.0, min(1.0, ((x - x0) * vx + (y - y0) * vy) / (vx * vx + vy * vy)))
    return math.hypot(x - (x0 + t * vx), y - (y0 + t * vy)) < half_width


def triangle_distance(x, y, a, b, c):
    """Whether (x, y) lies inside the triangle a, b, c, and its distance to the nearest edge."""
    distances = []
    for (x0, y0), (x1, y1) in ((a, b), (b, c), (c, a)):
        ex, ey = x1 - x0, y1 - y0
        distances.append(((x - x0) * ey - (y - y0) * ex) / math.hypot(ex, ey))
    # Inside, the point is on the same side of all three edges, whichever way the corners turn.
    if max(distances) <= 0.0:
        distances = [-d for d in distances]
    return min(distances) >= 0.0, min(distances)


# ---------------------------------------------------------------------------------------------
# Rendering and the .ico format

def render(picture, size):
    """Rows of palette indices (CLEAR for transparent), top row first."""
    px = 32 / size  # one pixel in design units
    return [[picture((col + 0.5) * px, (row + 0.5) * px, px) for col in range(size)]
            for row in range(size)]


def row_bytes(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def encode_image(pixels):
    size = len(pixels)
    xor_stride, and_stride = row_bytes(size * 4), row_bytes(size)
    xor_data, and_data = bytearray(), bytearray()
    for row in reversed(pixels):  # DIBs are stored bottom row first
        xor_row, and_row = bytearray(xor_stride), bytearray(and_stride)
        for col, index in enumerate(row):
            if index is CLEAR:
                # A transparent pixel must be black in the colour bitmap: the screen is ANDed
                # with the mask and then XORed with this colour.
                and_row[col // 8] |= 0x80 >> (col % 8)
                index = BLACK
            xor_row[col // 2] |= index << (4 if col % 2 == 0 else 0)
        xor_data += xor_row
        and_data += and_row
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0,
                         len(xor_data) + len(and_data), 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(xor_data) + bytes(and_data)


def encode_icon(picture):
    images = [encode_image(render(picture, size)) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, image in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


ICONS = {"mainframe.ico": clock_chip, "caution.ico": caution_sign}


def encode_png(picture, size):
    raw = bytearray()
    for row in render(picture, size):
        raw.append(0)  # no filter
        for index in row:
            raw += bytes((0, 0, 0, 0)) if index is CLEAR else bytes(PALETTE[index] + (0xFF,))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    if argv[1:] == ["--check"]:
        stale = []
        for name, picture in ICONS.items():
            path = os.path.join(here, name)
            try:
                with open(path, "rb") as existing:
                    same = existing.read() == encode_icon(picture)
            except OSError:
                same = False
            if not same:
                stale.append(path)
        for path in stale:
            print(f"{path} differs from what make_icons.py draws; run it again", file=sys.stderr)
        return 1 if stale else 0
    if len(argv) == 4 and argv[1] == "--png" and argv[2].isdigit() and int(argv[2]) >= 16:
        with open(argv[3], "wb") as f:
            f.write(encode_png(clock_chip, int(argv[2])))
        return 0
    if len(argv) == 3 and argv[1] == "--out":
        out = argv[2]
    elif len(argv) == 1:
        out = here
    else:
        print(__doc__, file=sys.stderr)
        return 2
    for name, picture in ICONS.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(encode_icon(picture))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
