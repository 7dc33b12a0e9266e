#!/usr/bin/env python3
"""Checks the demo's screenshot as a user would look at it.

    demo_look.py capture WINDOWS.txt
    demo_look.py check SCREEN.png WINDOWS.txt --main TITLE --view TITLE [--view TITLE]...

`capture`, run just before the screenshot, writes the named top-level windows
that are on the screen, with their places, to WINDOWS.txt. `check` then looks
at every view: the window is on the screen, its top lines up with the main
window's (the views are placed beside it), and its picture area holds the
simulator's test pattern: many strongly coloured pixels, and no large plain
white or black region. It prints one line per view and exits 1 naming each
view that fails.
"""
import argparse
import re
import subprocess
import sys

# Where a view's picture lies in its frame, by the frame's width (the view's
# three screen sizes: QCIF centred in the 1x frame, 1x and 2x). Mirrors
# app/view/view_layout.cpp.
PICTURE_BY_FRAME_WIDTH = {
    333: (78, 76, 176, 144),
    332: (6, 28, 320, 240),
    652: (6, 28, 640, 480),
}

# The test pattern is colour bars, a colour ramp and a circle: most of a
# picture is saturated colour; a white or black panel is not.
MIN_COLOURED = 0.35
MAX_WHITE = 0.25
MAX_BLACK = 0.35
ALIGN_TOLERANCE = 2

WINDOW_LINE = re.compile(r'^\s*(0x[0-9a-f]+) "(.*)": .*?(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$')


def read_ppm(png):
    data = subprocess.run(["convert", png, "-depth", "8", "ppm:-"], check=True, capture_output=True).stdout
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError("unexpected image format from convert")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:pos + 1 + width * height * 3]


def viewable(window_id):
    out = subprocess.run(["xwininfo", "-id", window_id], capture_output=True, text=True).stdout
    return "IsViewable" in out


def capture(out_file):
    """Each viewable named top-level window as "x y width height title"."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], check=True, capture_output=True, text=True).stdout
    seen = set()
    with open(out_file, "w", encoding="utf-8") as out:
        for line in tree.splitlines():
            m = WINDOW_LINE.match(line)
            if not m:
                continue
            window_id, title = m.group(1), m.group(2)
            w, h, x, y = (int(m.group(i)) for i in (3, 4, 5, 6))
            if w < 50 or h < 50 or title in seen or not viewable(window_id):
                continue
            seen.add(title)
            out.write(f"{x} {y} {w} {h} {title}\n")


def read_windows(windows_file):
    found = {}
    with open(windows_file, encoding="utf-8") as f:
        for line in f:
            x, y, w, h, title = line.rstrip("\n").split(" ", 4)
            found[title] = (int(x), int(y), int(w), int(h))
    return found


def picture_shares(image, rect):
    width, height, pixels = image
    x0, y0, w, h = rect
    coloured = white = black = total = 0
    for y in range(max(0, y0), min(height, y0 + h)):
        row = y * width * 3
        for x in range(max(0, x0), min(width, x0 + w)):
            r, g, b = pixels[row + 3 * x], pixels[row + 3 * x + 1], pixels[row + 3 * x + 2]
            hi, lo = max(r, g, b), min(r, g, b)
            total += 1
            if hi - lo >= 96:
                coloured += 1
            elif lo >= 235:
                white += 1
            elif hi <= 20:
                black += 1
    if total == 0:
        return 0.0, 1.0, 1.0
    return coloured / total, white / total, black / total


def check_view(title, windows, main, image):
    if title not in windows:
        return "no window on the screen"
    x, y, w, h = windows[title]
    if x < 0 or y < 0 or x + w > image[0] or y + h > image[1]:
        return f"window at {w}x{h}+{x}+{y} is not wholly on the screen"
    problems = []
    if main is not None and abs(y - main[1]) > ALIGN_TOLERANCE:
        problems.append(f"top at y={y}, the main window's at y={main[1]}")
    layout = PICTURE_BY_FRAME_WIDTH.get(w)
    if layout is None:
        problems.append(f"frame {w} pixels wide is none of the view's sizes")
    else:
        px, py, pw, ph = layout
        coloured, white, black = picture_shares(image, (x + px, y + py, pw, ph))
        shares = f"coloured {coloured:.0%}, white {white:.0%}, black {black:.0%}"
        if coloured < MIN_COLOURED or white > MAX_WHITE or black > MAX_BLACK:
            problems.append(f"picture area is not the camera's picture ({shares})")
    return "; ".join(problems) or None


def check(args):
    image = read_ppm(args.screen)
    windows = read_windows(args.windows)
    main_rect = windows.get(args.main)
    failed = []
    if main_rect is None:
        print(f"look: main window \"{args.main}\": not on the screen")
        failed.append(args.main)
    for title in args.view:
        problem = check_view(title, windows, main_rect, image)
        print(f"look: view \"{title}\": {problem or 'shows its picture'}")
        if problem:
            failed.append(title)
    if failed:
        print("look: failed: " + ", ".join(f'"{t}"' for t in failed))
        return 1
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[1])
    commands = parser.add_subparsers(dest="command", required=True)
    capture_args = commands.add_parser("capture")
    capture_args.add_argument("windows")
    check_args = commands.add_parser("check")
    check_args.add_argument("screen")
    check_args.add_argument("windows")
    check_args.add_argument("--main", required=True)
    check_args.add_argument("--view", action="append", required=True)
    args = parser.parse_args()
    if args.command == "capture":
        capture(args.windows)
        return 0
    return check(args)


if __name__ == "__main__":
    sys.exit(main())
