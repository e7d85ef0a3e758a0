#!/usr/bin/env python3
"""Packs PNG pictures into a Windows icon file, each image as it is (Windows
reads PNG images in icons since Vista).

    make_ico.py OUT.ico IN.png...
"""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("not a PNG file")
    return struct.unpack(">II", data[16:24])


def main():
    images = []
    for name in sys.argv[2:]:
        with open(name, "rb") as f:
            data = f.read()
        width, height = png_size(data)
        if width > 256 or height > 256:
            raise SystemExit("%s: an icon's image is at most 256 x 256" % name)
        images.append((width, height, data))
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    for width, height, data in images:
        # 0 stands for 256; 32 bits per pixel is what the image decodes to.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data),
                               offset)
        offset += len(data)
    with open(sys.argv[1], "wb") as f:
        f.write(header + entries + b"".join(data for _, _, data in images))


if __name__ == "__main__":
    main()
