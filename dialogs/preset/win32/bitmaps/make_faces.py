#!/usr/bin/env python3
"""Draws the faces of the preset dialog's six bitmap buttons (arrows, zoom in
and out) as 32x32 24-bit BMP files: normal, pointer over, pressed, disabled.
Deterministic; run it here to remake the committed files."""
import math
import struct

SIZE = 32
SUB = 4  # supersampling per axis

FACES = {  # slot suffix: (face fill, border, glyph colour, glyph offset)
    "n": ((0xE4, 0xE7, 0xEB), (0x8C, 0x95, 0xA1), (0x2B, 0x33, 0x3D), 0),
    "o": ((0xD6, 0xE8, 0xF7), (0x3C, 0x8D, 0xCF), (0x1C, 0x5F, 0x99), 0),
    "p": ((0xB9, 0xD5, 0xEE), (0x2F, 0x73, 0xAD), (0x14, 0x4A, 0x7A), 1),
    "d": ((0xEE, 0xEF, 0xF1), (0xC3, 0xC7, 0xCD), (0xA9, 0xAF, 0xB7), 0),
}


def inside_round_rect(x, y, left, top, right, bottom, r):
    cx = min(max(x, left + r), right - r)
    cy = min(max(y, top + r), bottom - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def inside_triangle(x, y, a, b, c):
    def side(p, q, r):
        return (p[0] - r[0]) * (q[1] - r[1]) - (q[0] - r[0]) * (p[1] - r[1])
    d1, d2, d3 = side((x, y), a, b), side((x, y), b, c), side((x, y), c, a)
    neg = d1 < 0 or d2 < 0 or d3 < 0
    pos = d1 > 0 or d2 > 0 or d3 > 0
    return not (neg and pos)


def glyph_shape(name, shift):
    c = SIZE / 2 + shift
    if name in ("up", "down", "left", "right"):
        tip, base, half = 7.5, 5.5, 8.0
        pts = {
            "up": ((c, c - tip), (c - half, c + base), (c + half, c + base)),
            "down": ((c, c + tip), (c + half, c - base), (c - half, c - base)),
            "left": ((c - tip, c), (c + base, c + half), (c + base, c - half)),
            "right": ((c + tip, c), (c - base, c - half), (c - base, c + half)),
        }[name]
        return lambda x, y: inside_triangle(x, y, *pts)
    bar = lambda x, y: abs(y - c) <= 1.6 and abs(x - c) <= 8
    if name == "zoom_out":
        return bar
    return lambda x, y: bar(x, y) or (abs(x - c) <= 1.6 and abs(y - c) <= 8)


def draw(name, slot):
    fill, border, ink, shift = FACES[slot]
    glyph = glyph_shape(name, shift)
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            acc = [0.0, 0.0, 0.0]
            for sy in range(SUB):
                for sx in range(SUB):
                    x = px + (sx + 0.5) / SUB
                    y = py + (sy + 0.5) / SUB
                    if glyph(x, y):
                        colour = ink
                    elif inside_round_rect(x, y, 1, 1, SIZE - 1, SIZE - 1, 5):
                        colour = fill
                    elif inside_round_rect(x, y, 0, 0, SIZE, SIZE, 6):
                        colour = border
                    else:
                        colour = (0xF0, 0xF0, 0xF0)  # the dialog's face behind the corners
                    for i in range(3):
                        acc[i] += colour[i]
            row.append(tuple(int(round(v / (SUB * SUB))) for v in acc))
        rows.append(row)
    return rows


def write_bmp(path, rows):
    stride = (SIZE * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


for name in ("up", "left", "right", "down", "zoom_in", "zoom_out"):
    for slot in FACES:
        write_bmp(f"{name}_{slot}.bmp", draw(name, slot))
