#!/usr/bin/env python3
"""Writes the seed inputs of tests/fuzz/corpus/: short call scripts in the
encoding raster_fuzz.cpp reads, each a realistic sequence (a capture, a
crop, a preview stretch, a save copy) for the fuzzer to mutate from."""

import os

DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")

CREATE_DC, COMPATIBLE_DC, BITMAP, SELECT, BITBLT, STRETCH, DELETE_DC, DELETE_OBJECT, FILL, \
    MODE, SCREEN, PIXELS = range(12)
SRCCOPY = [0xFF]


def h(index):
    """The index-th handle created in this script."""
    return [0x40, index]


def size(n):
    return [0x07, n - 1] if isinstance(n, int) and 1 <= n <= 40 else {0: [0x00, 0], "max": [0x03, 0],
                                               "min": [0x02, 0], "wide": [0x05, 0]}[n]


def at(c):
    return [0x05, c + 32]


def blt(dest, x, y, w, hgt, src, sx, sy):
    return [BITBLT, *h(dest), *at(x), *at(y), *size(w), *size(hgt), *h(src), *at(sx), *at(sy),
            *SRCCOPY]


def stretch(dest, x, y, w, hgt, src, sx, sy, sw, sh):
    return [STRETCH, *h(dest), *at(x), *at(y), *size(w), *size(hgt), *h(src), *at(sx), *at(sy),
            *size(sw), *size(sh), *SRCCOPY]


def buffer(display, w, hgt):
    """A memory context (next handle) with a w x hgt bitmap (the one after)."""
    n = len(created)
    created.extend(["dc", "bitmap"])
    return [COMPATIBLE_DC, *h(display), BITMAP, *h(display), *size(w), *size(hgt),
            SELECT, *h(n), *h(n + 1)], n


created = []


def seeds():
    global created
    out = {}

    created = ["display"]
    b, cap = buffer(0, 40, 30)
    p, prev = buffer(0, 12, 9)
    out["capture_and_preview"] = [CREATE_DC, 0xFF, *b, *blt(cap, 0, 0, 40, 30, 0, 0, 0), *p,
                                  MODE, *h(prev), 100, *stretch(prev, 0, 0, 12, 9, cap, 0, 0, 40,
                                                                30),
                                  PIXELS, *h(prev), DELETE_DC, *h(cap), DELETE_OBJECT, *h(cap + 1)]

    created = ["display"]
    b, cap = buffer(0, 40, 30)
    c, crop = buffer(0, 10, 7)
    out["crop_and_release"] = [CREATE_DC, 0xFF, *b, *blt(cap, 0, 0, 40, 30, 0, 5, 3), *c,
                               *blt(crop, 0, 0, 10, 7, cap, 12, 8), DELETE_DC, *h(cap),
                               DELETE_OBJECT, *h(cap + 1), DELETE_OBJECT, *h(cap + 1),
                               *blt(crop, 0, 0, 10, 7, cap, 0, 0), FILL, *h(crop), 1, 2, 3, 4]

    created = ["display"]
    b, cap = buffer(0, 40, 30)
    out["overlapping_self_copy"] = [CREATE_DC, 0xFF, *b, *blt(cap, 0, 0, 40, 30, 0, 0, 0),
                                    *blt(cap, 3, 4, 30, 20, cap, 0, 0),
                                    *blt(cap, -5, -6, 40, 30, cap, 2, 1),
                                    *stretch(cap, 0, 0, 40, 30, cap, 5, 5, 10, 10)]

    created = ["display"]
    b, cap = buffer(0, 20, 20)
    out["screen_changes"] = [CREATE_DC, 0xFF, *b, SCREEN, 100, 30, 20,
                             *blt(cap, 0, 0, 20, 20, 0, 25, 15), SCREEN, 250, 30, 20,
                             *blt(cap, 0, 0, 20, 20, 0, 0, 0), SCREEN, 0, 0, 0,
                             *stretch(cap, 0, 0, 20, 20, 0, 0, 0, 40, 40)]

    created = ["display"]
    b, cap = buffer(0, 16, 16)
    out["wrong_kinds"] = [CREATE_DC, 0xFF, *b, SELECT, *h(0), *h(cap + 1),
                          SELECT, *h(cap), *h(cap), *blt(0, 0, 0, 5, 5, cap, 0, 0),
                          *blt(cap + 1, 0, 0, 5, 5, cap, 0, 0), DELETE_OBJECT, *h(cap),
                          DELETE_DC, *h(cap + 1), MODE, *h(0), 100, FILL, *h(cap + 1), 0, 0, 0, 9]
    # A destination far wider than the bitmap it is clipped to, averaging.
    created = ["display"]
    b, cap = buffer(0, 40, 30)
    p, prev = buffer(0, 12, 9)
    out["huge_stretch_halftone"] = [CREATE_DC, 0xFF, *b, *p, MODE, *h(prev), 100,
                                    *stretch(prev, 0, 0, "max", 9, cap, 0, 0, 40, 30),
                                    *stretch(prev, -3, 0, 12, "max", cap, 0, 0, 40, 30)]
    return out


os.makedirs(DIR, exist_ok=True)
for name, data in seeds().items():
    with open(os.path.join(DIR, name), "wb") as f:
        f.write(bytes(data))
