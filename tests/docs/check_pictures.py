#!/usr/bin/env python3
"""Runs the manual's picture maker into a fresh folder and checks every picture the manual shows.

    check_pictures.py PICTURE_TOOL USER_MANUAL

Each <img src="pictures/NAME.png"> of the manual must be made, be a PNG of a plausible size and
not be blank (one single colour).
"""
import os
import re
import struct
import subprocess
import sys
import tempfile
import zlib


def pixels(path):
    """Width, height and the unfiltered rows of an 8-bit RGB or RGBA PNG without interlace."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError(f"unexpected PNG format (depth {depth}, colour {colour})")
    bpp = 3 if colour == 2 else 4
    raw, stride, rows, prev = zlib.decompress(idat), width * bpp, [], bytearray(width * bpp)
    for y in range(height):
        start = y * (stride + 1)
        kind, row = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            a = row[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                row[i] = (row[i] + a) & 255
            elif kind == 2:
                row[i] = (row[i] + b) & 255
            elif kind == 3:
                row[i] = (row[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(row))
        prev = row
    return width, height, bpp, rows


def problem(path):
    if not os.path.isfile(path):
        return "not made"
    width, height, bpp, rows = pixels(path)
    if width < 100 or height < 80 or width > 4000 or height > 4000:
        return f"implausible size {width}x{height}"
    first = rows[0][:bpp]
    if all(row == first * width for row in rows):
        return "blank (one single colour)"
    return None


def main():
    tool, manual = sys.argv[1], sys.argv[2]
    with open(manual, encoding="utf-8") as f:
        names = re.findall(r'<img src="pictures/([^"]+\.png)"', f.read())
    if not names:
        print("the manual shows no picture")
        return 1
    with tempfile.TemporaryDirectory() as out:
        made = subprocess.run([tool, out])
        faults = [f"{name}: {p}" for name in names if (p := problem(os.path.join(out, name)))]
    if made.returncode != 0:
        faults.append(f"the picture maker failed ({made.returncode})")
    for fault in faults:
        print(fault)
    print(f"check_pictures: {len(names)} pictures, {len(faults)} fault(s)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
