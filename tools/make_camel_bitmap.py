#!/usr/bin/env python3
"""Draws the picture of the "Camel" window: a camel on a dune at sunset.

Writes a 300 x 300 Windows bitmap, 24 bits per pixel, uncompressed
(BITMAPFILEHEADER + BITMAPINFOHEADER, then bottom-up rows of 900 bytes):
270,054 bytes in all. Only the standard library is used, and the output is
the same on every run.

    tools/make_camel_bitmap.py [OUTPUT]     (default resources/camel.bmp)
"""

import math
import os
import struct
import sys

WIDTH = 300
HEIGHT = 300

SKY_TOP = (38, 70, 150)
SKY_HORIZON = (250, 196, 128)
SUN = (255, 236, 150)
FAR_DUNE = (222, 168, 98)
NEAR_DUNE = (204, 142, 72)
NEAR_DUNE_SHADE = (182, 122, 58)
SHADOW = (150, 98, 46)
CAMEL = (66, 40, 26)


class Canvas:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.rows = [[(0, 0, 0)] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def get(self, x, y):
        return self.rows[y][x]

    def ellipse(self, cx, cy, rx, ry, colour, top_only=False):
        for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
            if top_only and y > cy:
                break
            for x in range(int(cx - rx) - 1, int(cx + rx) + 2):
                dx = (x + 0.5 - cx) / rx
                dy = (y + 0.5 - cy) / ry
                if dx * dx + dy * dy <= 1.0:
                    self.put(x, y, colour)

    def thick_line(self, x0, y0, x1, y1, width, colour):
        """A segment with round ends, `width` pixels across."""
        r = width / 2.0
        length2 = (x1 - x0) ** 2 + (y1 - y0) ** 2
        for y in range(int(min(y0, y1) - r) - 1, int(max(y0, y1) + r) + 2):
            for x in range(int(min(x0, x1) - r) - 1, int(max(x0, x1) + r) + 2):
                px, py = x + 0.5, y + 0.5
                t = 0.0
                if length2:
                    t = ((px - x0) * (x1 - x0) + (py - y0) * (y1 - y0)) / length2
                    t = max(0.0, min(1.0, t))
                qx, qy = x0 + t * (x1 - x0), y0 + t * (y1 - y0)
                if (px - qx) ** 2 + (py - qy) ** 2 <= r * r:
                    self.put(x, y, colour)

    def polygon(self, points, colour):
        """Even-odd fill, sampled at pixel centres."""
        ys = [p[1] for p in points]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            sy = y + 0.5
            crossings = []
            for i, (ax, ay) in enumerate(points):
                bx, by = points[(i + 1) % len(points)]
                if (ay <= sy < by) or (by <= sy < ay):
                    crossings.append(ax + (sy - ay) * (bx - ax) / (by - ay))
            crossings.sort()
            for a, b in zip(crossings[0::2], crossings[1::2]):
                for x in range(int(math.ceil(a - 0.5)), int(math.floor(b - 0.5)) + 1):
                    self.put(x, y, colour)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def draw(canvas):
    horizon = 185
    # Sky: a vertical gradient down to the horizon.
    for y in range(HEIGHT):
        colour = mix(SKY_TOP, SKY_HORIZON, min(1.0, y / float(horizon)))
        for x in range(WIDTH):
            canvas.put(x, y, colour)

    # The low sun, with a soft glow around it.
    sun_x, sun_y, sun_r = 222, 128, 26
    for y in range(sun_y - 60, sun_y + 61):
        for x in range(sun_x - 60, sun_x + 61):
            if not (0 <= x < WIDTH and 0 <= y < HEIGHT):
                continue
            d = math.hypot(x + 0.5 - sun_x, y + 0.5 - sun_y)
            if d <= sun_r:
                canvas.put(x, y, SUN)
            elif d <= sun_r + 34:
                t = 0.55 * (1.0 - (d - sun_r) / 34.0) ** 2
                canvas.put(x, y, mix(canvas.get(x, y), SUN, t))

    # Two rows of dunes.
    for x in range(WIDTH):
        far = 170 + 10 * math.sin(x / 38.0) + 5 * math.sin(x / 13.0 + 2.0)
        near = 214 + 14 * math.sin(x / 57.0 + 1.3) + 4 * math.sin(x / 19.0)
        for y in range(int(far), HEIGHT):
            canvas.put(x, y, FAR_DUNE)
        for y in range(int(near), HEIGHT):
            shade = (y - near) / (HEIGHT - near)
            canvas.put(x, y, mix(NEAR_DUNE, NEAR_DUNE_SHADE, shade))

    # The camel's shadow on the sand, then the camel facing right.
    canvas.ellipse(136, 246, 62, 6, SHADOW)
    canvas.ellipse(132, 168, 54, 24, CAMEL)               # body
    canvas.ellipse(124, 150, 30, 32, CAMEL, top_only=True)  # hump
    canvas.thick_line(176, 168, 206, 120, 17, CAMEL)      # neck
    canvas.thick_line(184, 158, 210, 112, 11, CAMEL)
    canvas.ellipse(218, 110, 17, 9, CAMEL)                # head
    canvas.ellipse(233, 113, 7, 6, CAMEL)                 # muzzle
    canvas.thick_line(210, 103, 208, 96, 4, CAMEL)        # ear
    canvas.thick_line(80, 160, 72, 188, 4, CAMEL)         # tail
    canvas.ellipse(72, 190, 3, 5, CAMEL)
    for top_x, foot_x in ((96, 90), (112, 114), (158, 156), (172, 180)):
        canvas.thick_line(top_x, 178, (top_x + foot_x) / 2.0, 212, 9, CAMEL)  # upper leg
        canvas.thick_line((top_x + foot_x) / 2.0, 212, foot_x, 244, 6, CAMEL)  # lower leg
        canvas.ellipse(foot_x + 2, 245, 6, 3, CAMEL)                           # foot

    # A little palm on the far dune.
    canvas.thick_line(38, 178, 44, 140, 4, CAMEL)
    for tip in ((22, 138), (30, 128), (48, 126), (62, 134), (60, 146), (28, 150)):
        canvas.polygon([(44, 139), tip, ((44 + tip[0]) / 2.0, (139 + tip[1]) / 2.0 - 4)], CAMEL)


def bitmap_bytes(canvas):
    row_size = (canvas.width * 3 + 3) // 4 * 4
    image_size = row_size * canvas.height
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + image_size, 0, 0, header_size)
    # 3780 pixels per metre: 96 pixels per inch.
    info_header = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0,
                              image_size, 3780, 3780, 0, 0)
    body = bytearray()
    for y in range(canvas.height - 1, -1, -1):  # bottom-up
        row = bytearray()
        for r, g, b in canvas.rows[y]:
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        body += row
    return file_header + info_header + bytes(body)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "resources", "camel.bmp")
    output = sys.argv[1] if len(sys.argv) > 1 else default
    canvas = Canvas(WIDTH, HEIGHT)
    draw(canvas)
    data = bitmap_bytes(canvas)
    assert len(data) == 270054, len(data)
    with open(output, "wb") as f:
        f.write(data)
    print("wrote %s (%d bytes)" % (os.path.normpath(output), len(data)))


if __name__ == "__main__":
    main()
