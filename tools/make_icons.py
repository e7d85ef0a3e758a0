#!/usr/bin/env python3
"""Draws the program's icon at 32 x 32 and 16 x 16 in 16 colours: a monitor
whose screen holds a red capture frame.

Writes 4-bit palette PNG files (the classic 16-colour palette, with one
entry given over to transparency) using only the standard library.

    tools/make_icons.py [OUTPUT_DIR]     (default resources/icons)
"""

import os
import struct
import sys
import zlib

# Index 0 is transparent; the other fifteen are the classic palette without
# its purple.
PALETTE = [
    (255, 0, 255),  # 0 transparent
    (0, 0, 0),  # 1 black
    (128, 0, 0),  # 2 maroon
    (0, 128, 0),  # 3 green
    (128, 128, 0),  # 4 olive
    (0, 0, 128),  # 5 navy
    (0, 128, 128),  # 6 teal
    (192, 192, 192),  # 7 silver
    (128, 128, 128),  # 8 grey
    (255, 0, 0),  # 9 red
    (0, 255, 0),  # 10 lime
    (255, 255, 0),  # 11 yellow
    (0, 0, 255),  # 12 blue
    (0, 255, 255),  # 13 aqua
    (255, 255, 255),  # 14 white
    (64, 64, 64),  # 15 dark grey (stands in for purple)
]
T, BLACK, NAVY, TEAL, SILVER, GREY, RED, YELLOW, BLUE, AQUA, WHITE, DARK = (
    0, 1, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15)


def blank(size):
    return [[T] * size for _ in range(size)]


def rect(img, x0, y0, x1, y1, colour):
    """Fills x0..x1, y0..y1 inclusive."""
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = colour


def frame(img, x0, y0, x1, y1, colour):
    rect(img, x0, y0, x1, y0, colour)
    rect(img, x0, y1, x1, y1, colour)
    rect(img, x0, y0, x0, y1, colour)
    rect(img, x1, y0, x1, y1, colour)


def dashed_frame(img, x0, y0, x1, y1, colour, dash=2):
    for x in range(x0, x1 + 1):
        if (x - x0) // dash % 2 == 0:
            img[y0][x] = colour
            img[y1][x] = colour
    for y in range(y0, y1 + 1):
        if (y - y0) // dash % 2 == 0:
            img[y][x0] = colour
            img[y][x1] = colour


def icon32():
    img = blank(32)
    # Monitor: black outline, silver bezel, blue screen with a sky gradient.
    rect(img, 1, 2, 30, 23, SILVER)
    frame(img, 1, 2, 30, 23, BLACK)
    rect(img, 4, 5, 27, 20, BLUE)
    rect(img, 4, 5, 27, 8, NAVY)
    frame(img, 3, 4, 28, 21, GREY)
    # A small window on the screen, and the capture frame around part of it.
    rect(img, 7, 9, 17, 17, WHITE)
    rect(img, 7, 9, 17, 10, TEAL)
    rect(img, 19, 12, 25, 18, AQUA)
    dashed_frame(img, 10, 7, 24, 19, RED)
    # Sun in the corner of the screen.
    rect(img, 23, 6, 25, 8, YELLOW)
    # Stand and foot.
    rect(img, 13, 24, 18, 26, GREY)
    rect(img, 8, 27, 23, 29, SILVER)
    frame(img, 8, 27, 23, 29, BLACK)
    rect(img, 12, 24, 12, 26, DARK)
    rect(img, 19, 24, 19, 26, DARK)
    return img


def icon16():
    img = blank(16)
    rect(img, 0, 1, 15, 11, SILVER)
    frame(img, 0, 1, 15, 11, BLACK)
    rect(img, 2, 3, 13, 9, BLUE)
    rect(img, 3, 5, 8, 8, WHITE)
    dashed_frame(img, 5, 4, 12, 9, RED, dash=1)
    rect(img, 6, 12, 9, 12, GREY)
    rect(img, 3, 13, 12, 13, SILVER)
    rect(img, 3, 14, 12, 14, BLACK)
    return img


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_bytes(img):
    size = len(img)
    raw = bytearray()
    for row in img:
        raw.append(0)  # filter: none
        for x in range(0, size, 2):
            raw.append(row[x] << 4 | (row[x + 1] if x + 1 < size else 0))
    header = struct.pack(">IIBBBBB", size, size, 4, 3, 0, 0, 0)  # 4-bit palette
    palette = b"".join(bytes(c) for c in PALETTE)
    transparency = bytes([0])  # entry 0 transparent, the rest opaque
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"PLTE", palette) +
            chunk(b"tRNS", transparency) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
            chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "icons")
    for name, img in (("tessarine-32.png", icon32()), ("tessarine-16.png", icon16())):
        path = os.path.join(out_dir, name)
        with open(path, "wb") as f:
            f.write(png_bytes(img))
        print("wrote " + os.path.normpath(path))


if __name__ == "__main__":
    main()
