#!/usr/bin/env python3
"""Draws Halyard's icons and writes them as .ico files beside this script.

The application icon (the ringed lens of the skins' title bars on the dark
panel) and one 16x16 icon per role of the server tree: folders, hosting
servers and cameras offline and online, and a camera reporting a notice;
and the states of a camera's recording plan shown beside it.
Colours are the skins' (tools/skinart/theme.h). Shapes are sampled 8x8 per
pixel, so edges are smooth; the output is deterministic.

    python3 app/icons/make_icons.py
"""
import math
import os
import struct

SLATE = (0x22, 0x26, 0x2C)
SLATE_EDGE = (0x45, 0x4C, 0x57)
BUTTON = (0x3D, 0x44, 0x4F)
ACCENT = (0x4A, 0xA3, 0xDF)
ACCENT_DARK = (0x28, 0x69, 0x9A)
ACCENT_LIGHT = (0x8C, 0xC8, 0xEE)
LIGHT = (0xE6, 0xE9, 0xED)
GREY = (0x98, 0xA1, 0xAC)
GREY_DARK = (0x5C, 0x64, 0x70)
GREEN = (0x3F, 0xB9, 0x7A)
RED = (0xD2, 0x45, 0x45)
AMBER = (0xE8, 0xA8, 0x38)
WHITE = (0xFF, 0xFF, 0xFF)

SAMPLES = 8


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[(0, 0, 0, 0.0) for _ in range(size)] for _ in range(size)]

    def fill(self, inside, colour, alpha=1.0):
        """Paints colour over every pixel by the share of its samples inside."""
        n = self.size
        for y in range(n):
            for x in range(n):
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        if inside(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES):
                            hits += 1
                if hits == 0:
                    continue
                a = alpha * hits / (SAMPLES * SAMPLES)
                r, g, b, da = self.px[y][x]
                out_a = a + da * (1 - a)
                mix = lambda c, d: (c * a + d * da * (1 - a)) / out_a
                self.px[y][x] = (mix(colour[0], r), mix(colour[1], g), mix(colour[2], b), out_a)

    def rounded(self, x0, y0, x1, y1, r, colour, alpha=1.0):
        def inside(x, y):
            if x < x0 or x > x1 or y < y0 or y > y1:
                return False
            cx = min(max(x, x0 + r), x1 - r)
            cy = min(max(y, y0 + r), y1 - r)
            return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
        self.fill(inside, colour, alpha)

    def circle(self, cx, cy, r, colour, alpha=1.0):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour, alpha)

    def ring(self, cx, cy, r_out, r_in, colour):
        self.fill(lambda x, y: r_in * r_in < (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out, colour)

    def polygon(self, points, colour, alpha=1.0):
        def inside(x, y):
            c = False
            j = len(points) - 1
            for i, (xi, yi) in enumerate(points):
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    c = not c
                j = i
            return c
        self.fill(inside, colour, alpha)


def folder(open_):
    c = Canvas(16)
    # Tab and back.
    c.rounded(1, 3, 7, 6, 1, ACCENT_DARK)
    c.rounded(1, 4.5, 15, 14, 1.2, ACCENT_DARK)
    if open_:
        c.rounded(2, 5.5, 14, 12, 0.8, LIGHT)
        c.polygon([(3.2, 8), (15.6, 8), (13.6, 14), (0.8, 14)], ACCENT)
    else:
        c.rounded(1.5, 6.5, 14.5, 13.5, 1, ACCENT)
        c.rounded(1.5, 6.5, 14.5, 7.5, 0.5, ACCENT_LIGHT, 0.6)
    return c


def host(online):
    c = Canvas(16)
    for top in (1.5, 6, 10.5):
        c.rounded(1.5, top, 14.5, top + 4, 1, SLATE)
        c.rounded(2.5, top + 1, 13.5, top + 3, 0.6, BUTTON)
        c.rounded(4, top + 1.7, 9, top + 2.3, 0.3, GREY)
    led = GREEN if online else GREY_DARK
    for top in (1.5, 6, 10.5):
        c.circle(11.5, top + 2, 1.1, led)
    return c


def camera(state):
    c = Canvas(16)
    lens = ACCENT if state != "offline" else GREY
    c.rounded(1, 4, 13, 12.5, 1.6, SLATE)
    c.polygon([(12, 6.5), (15.5, 4.5), (15.5, 12), (12, 10)], SLATE)
    c.circle(7, 8.25, 3.2, BUTTON)
    c.circle(7, 8.25, 2.3, lens)
    c.circle(6.2, 7.4, 0.7, WHITE, 0.8)
    if state == "online":
        c.circle(12.5, 12.5, 3, WHITE)
        c.circle(12.5, 12.5, 2.2, GREEN)
    if state == "alarm":
        c.circle(12.5, 12.5, 3.4, WHITE)
        c.circle(12.5, 12.5, 2.8, RED)
        c.rounded(12.1, 10.6, 12.9, 12.9, 0.3, WHITE)
        c.circle(12.5, 14.1, 0.45, WHITE)
    return c


def app_icon(size):
    c = Canvas(size)
    s = size / 32.0
    c.rounded(0.5 * s, 0.5 * s, 31.5 * s, 31.5 * s, 6 * s, SLATE)
    c.rounded(0.5 * s, 0.5 * s, 31.5 * s, 31.5 * s, 6 * s, SLATE_EDGE, 0.0)
    c.ring(16 * s, 16 * s, 11.5 * s, 8.2 * s, ACCENT)
    c.circle(16 * s, 16 * s, 4.4 * s, ACCENT)
    c.circle(14.4 * s, 14.4 * s, 1.4 * s, ACCENT_LIGHT, 0.9)
    return c


def dib(canvas):
    n = canvas.size
    xor = bytearray()
    for y in reversed(range(n)):
        for x in range(n):
            r, g, b, a = canvas.px[y][x]
            xor += bytes((round(b), round(g), round(r), round(a * 255)))
    stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(n)):
        row = bytearray(stride)
        for x in range(n):
            if canvas.px[y][x][3] < 0.5:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def write_ico(path, canvases):
    images = [dib(c) for c in canvases]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        n = c.size if c.size < 256 else 0
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def plan(state):
    """A recording plan's state beside a camera: a red dot while it records,
    a grey ring while it waits, an amber sign when it cannot record."""
    c = Canvas(16)
    if state == "recording":
        c.circle(8, 8, 5.5, WHITE)
        c.circle(8, 8, 4.5, RED)
    elif state == "waiting":
        c.ring(8, 8, 5.5, 3.5, GREY)
    else:
        c.polygon([(8, 1.5), (15, 14.5), (1, 14.5)], AMBER)
        c.rounded(7.2, 5.5, 8.8, 10.5, 0.6, SLATE)
        c.circle(8, 12.5, 1.0, SLATE)
    return c


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    icons = {
        "halyard.ico": [app_icon(16), app_icon(32), app_icon(48)],
        "folder_closed.ico": [folder(False)],
        "folder_open.ico": [folder(True)],
        "host_offline.ico": [host(False)],
        "host_online.ico": [host(True)],
        "camera_offline.ico": [camera("offline")],
        "camera_online.ico": [camera("online")],
        "camera_alarm.ico": [camera("alarm")],
        "plan_recording.ico": [plan("recording")],
        "plan_waiting.ico": [plan("waiting")],
        "plan_failed.ico": [plan("failed")],
    }
    for name, canvases in icons.items():
        write_ico(os.path.join(here, name), canvases)


if __name__ == "__main__":
    main()
