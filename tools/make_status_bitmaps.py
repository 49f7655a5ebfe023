#!/usr/bin/env python3
"""Draws the program's small status bitmaps and writes them as PNG files.

The marks that lists and charts draw over coloured backgrounds (dots, cross, key) have a
transparent background; the comment sign is opaque. Also drawn here: the two notification-area
icons of the server (steady and blinking), the two cursors of the lot drag and the program's
icon in the sizes a desktop's icon theme asks for. Run from the repository root:
    python3 tools/make_status_bitmaps.py main/resources
"""
import math
import struct
import sys
import zlib
from pathlib import Path

CLEAR = (255, 255, 255, 0)
WHITE = (255, 255, 255, 255)
BLACK = (0, 0, 0, 255)


def write_png(path, pixels, alpha):
    height, width = len(pixels), len(pixels[0])
    colour_type, channels = (6, 4) if alpha else (2, 3)
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # filter: none
        for px in row:
            raw.extend(px[:channels])

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    Path(path).write_bytes(png)


def canvas(width, height, fill):
    return [[fill for _ in range(width)] for _ in range(height)]


def dot(fill, rim, light):
    """An 11 x 11 round dot with a darker rim and a small highlight."""
    img = canvas(11, 11, CLEAR)
    for y in range(11):
        for x in range(11):
            d = math.hypot(x - 5, y - 5)
            if d <= 4.6:
                img[y][x] = fill
            elif d <= 5.4:
                img[y][x] = rim
    img[3][3] = img[3][4] = img[4][3] = light
    return img


def cross():
    """A 12 x 12 red cross, two pixels thick."""
    red = (255, 0, 0, 255)
    img = canvas(12, 12, CLEAR)
    for i in range(12):
        for t in (0, 1):
            j = min(11, i + t)
            img[i][j] = red
            img[i][11 - j] = red
    return img


def comment():
    """An 11 x 12 opaque comment sign: a speech bubble with two lines of text."""
    bubble = (255, 255, 128, 255)
    img = canvas(11, 12, WHITE)
    for y in range(0, 8):
        for x in range(0, 11):
            border = y in (0, 7) or x in (0, 10)
            img[y][x] = BLACK if border else bubble
    for x in (2, 3, 4, 5, 6, 7, 8):
        img[2][x] = BLACK
    for x in (2, 3, 4, 5, 6):
        img[4][x] = BLACK
    for y, xs in ((8, (2, 3, 4)), (9, (2, 3)), (10, (2,))):
        for x in xs:
            img[y][x] = BLACK
    img[8][3] = bubble
    return img


def key():
    """A 24 x 24 key for the password lock button: round bow, shaft and two teeth."""
    gold = (218, 165, 32, 255)
    dark = (120, 85, 10, 255)
    img = canvas(24, 24, CLEAR)
    for y in range(24):
        for x in range(24):
            d = math.hypot(x - 6.5, y - 11.5)
            if 2.0 <= d <= 5.5:
                img[y][x] = dark if d > 4.7 else gold
    for x in range(12, 22):
        img[10][x] = dark
        img[11][x] = gold
        img[12][x] = gold
        img[13][x] = dark
    for x in (17, 20):
        for y in (14, 15, 16):
            img[y][x] = dark
            img[y][x + 1] = dark
    return img


def chart_icon(alert):
    """A 16 x 16 notification icon: a small Levey-Jennings chart; the blinking one has a red point."""
    navy, grey = (0, 0, 128, 255), (160, 160, 160, 255)
    img = canvas(16, 16, CLEAR)
    for y in range(16):
        for x in range(16):
            border = y in (0, 15) or x in (0, 15)
            img[y][x] = navy if border else WHITE
    for x in range(2, 14):
        img[8][x] = (0, 128, 0, 255)  # the mean
        if x % 2 == 0:
            img[3][x] = img[13][x] = grey  # the limits
    points = [(2, 9), (4, 7), (6, 8), (8, 6), (10, 9), (12, 4 if alert else 7)]
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        for step in range(x1 - x0 + 1):
            y = round(y0 + (y1 - y0) * step / (x1 - x0))
            img[y][x0 + step] = navy
    for x, y in points:
        img[y][x] = navy
    if alert:
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                img[4 + dy][12 + dx] = (255, 0, 0, 255)
    return img


def arrow(img):
    """The standard arrow, tip at (0, 0), black with a white rim."""
    shape = ["X", "XX", "X.X", "X..X", "X...X", "X....X", "X.....X", "X......X", "X.......X",
             "X........X", "X.....XXXXX", "X..X..X", "X.X X..X", "XX  X..X", "X    X..X", "     X..X", "      XX"]
    for y, row in enumerate(shape):
        for x, c in enumerate(row):
            if c == "X":
                img[y][x] = BLACK
            elif c == ".":
                img[y][x] = WHITE
    return img


def drag_lot_cursor():
    """A 32 x 32 arrow carrying a small lot label: a lot may be dropped here."""
    img = arrow(canvas(32, 32, CLEAR))
    for y in range(18, 28):
        for x in range(12, 28):
            border = y in (18, 27) or x in (12, 27)
            img[y][x] = BLACK if border else (255, 255, 200, 255)
    for x in range(15, 25):
        img[21][x] = img[24][x] = BLACK
    return img


def no_drop_lot_cursor():
    """A 32 x 32 arrow with a barred circle: a lot may not be dropped here."""
    img = arrow(canvas(32, 32, CLEAR))
    red = (200, 0, 0, 255)
    for y in range(14, 32):
        for x in range(10, 28):
            d = math.hypot(x - 19, y - 23)
            on_bar = abs((x - 19) - (y - 23)) <= 1.2 and d <= 7
            if 5.5 <= d <= 8 or on_bar:
                img[y][x] = red
    return img


def seg_dist(px, py, x0, y0, x1, y1):
    dx, dy = x1 - x0, y1 - y0
    t = max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (x0 + t * dx), py - (y0 + t * dy))


def program_icon(size):
    """The program's icon at any size: a Levey-Jennings chart on a rounded white card, drawn in
    unit coordinates and smoothed by supersampling."""
    navy, green, grey, red = (0, 0, 128), (0, 150, 0), (150, 150, 150), (220, 0, 0)
    points = [(0.16, 0.56), (0.30, 0.42), (0.44, 0.52), (0.58, 0.36), (0.72, 0.58), (0.86, 0.24)]

    def colour_at(u, v):
        corner = 0.14
        cx, cy = min(max(u, corner), 1 - corner), min(max(v, corner), 1 - corner)
        d = math.hypot(u - cx, v - cy)
        if d > corner:
            return None
        if d > corner - 0.05:
            return navy
        for i, (x, y) in enumerate(points):
            if math.hypot(u - x, v - y) <= 0.045:
                return red if i == len(points) - 1 else navy
        for (x0, y0), (x1, y1) in zip(points, points[1:]):
            if seg_dist(u, v, x0, y0, x1, y1) <= 0.018:
                return navy
        if 0.1 < u < 0.9 and abs(v - 0.5) <= 0.012:
            return green
        if 0.1 < u < 0.9 and min(abs(v - 0.2), abs(v - 0.8)) <= 0.012 and int(u * 20) % 2 == 0:
            return grey
        return (255, 255, 255)

    n = 4
    img = canvas(size, size, CLEAR)
    for y in range(size):
        for x in range(size):
            acc, hits = [0, 0, 0], 0
            for sy in range(n):
                for sx in range(n):
                    c = colour_at((x + (sx + 0.5) / n) / size, (y + (sy + 0.5) / n) / size)
                    if c is not None:
                        hits += 1
                        acc = [a + b for a, b in zip(acc, c)]
            if hits:
                img[y][x] = (acc[0] // hits, acc[1] // hits, acc[2] // hits, 255 * hits // (n * n))
    return img


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "main/resources")
    out.mkdir(parents=True, exist_ok=True)
    write_png(out / "PUCEROUGE.png", dot((255, 0, 0, 255), (128, 0, 0, 255), (255, 160, 160, 255)), True)
    write_png(out / "PUCEVERTE.png", dot((0, 200, 0, 255), (0, 100, 0, 255), (170, 255, 170, 255)), True)
    write_png(out / "PUCEJAUNE.png", dot((255, 230, 0, 255), (160, 130, 0, 255), (255, 255, 190, 255)), True)
    write_png(out / "CROIXROUGE.png", cross(), True)
    write_png(out / "COMMENT.png", comment(), False)
    write_png(out / "CLE.png", key(), True)
    write_png(out / "TRAYICON1.png", chart_icon(False), True)
    write_png(out / "TRAYICON2.png", chart_icon(True), True)
    write_png(out / "CURSDRAGLOT.png", drag_lot_cursor(), True)
    write_png(out / "CURSNODROPLOT.png", no_drop_lot_cursor(), True)
    for size in (48, 128):
        write_png(out / f"TERVANIX{size}.png", program_icon(size), True)


if __name__ == "__main__":
    main()
