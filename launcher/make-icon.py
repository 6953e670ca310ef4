#!/usr/bin/env python3
"""Writes KQAutoPatch's application icon: one 32 x 32 image, 32 bits per pixel, a
dark-blue rounded square with a gold arrow pointing down (the patcher). Drawn here
so the build needs no art files; the output is the same on every run.

  make-icon.py OUT.ico
"""

import struct
import sys

SIZE = 32


def inside_rounded_square(x, y):
    r = 6
    cx = min(max(x, r), SIZE - 1 - r)
    cy = min(max(y, r), SIZE - 1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_arrow(x, y):
    if 7 <= y <= 17 and 13 <= x <= 18:
        return True
    if 17 < y <= 25:
        half = 25 - y
        return 15.5 - half - 2 <= x <= 15.5 + half + 2
    return False


def pixel(x, y):
    if not inside_rounded_square(x, y):
        return (0, 0, 0, 0)
    if in_arrow(x, y):
        return (40, 190, 240, 255)      # BGRA gold
    shade = 90 + y * 2
    return (shade, 40, 20, 255)         # BGRA dark blue


def icon_bytes():
    rows = []
    for y in range(SIZE - 1, -1, -1):   # bottom-up rows
        rows.append(b"".join(bytes(pixel(x, y)) for x in range(SIZE)))
    xor = b"".join(rows)
    mask_row = bytes(4)                 # 32 bits, all opaque: alpha decides
    mask = mask_row * SIZE
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make-icon.py OUT.ico\n")
        return 2
    with open(sys.argv[1], "wb") as f:
        f.write(icon_bytes())
    return 0


if __name__ == "__main__":
    sys.exit(main())
