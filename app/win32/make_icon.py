#!/usr/bin/env python3
"""Draws vellumo.ico: a taupe envelope with a green check, in the colours of
the dialog, at the sizes Windows asks for (16 to 256 pixels), each stored as
a PNG image inside the ICO file. Standard library only.
Usage: make_icon.py OUT.ico"""

import math
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
SAMPLES = 4  # per axis, for smooth edges

PAPER = (0xf4, 0xef, 0xe9)
EDGE = (0x6b, 0x5b, 0x4e)
CHECK = (0x2a, 0x93, 0x3a)


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def colour_at(x, y):
    """Colour and opacity at a point of the unit square (0..1)."""
    left, right, top, bottom = 0.06, 0.94, 0.2, 0.8
    stroke = 0.055
    check = min(distance_to_segment(x, y, 0.5, 0.66, 0.64, 0.8),
                distance_to_segment(x, y, 0.64, 0.8, 0.92, 0.44))
    if check < 0.075:
        return CHECK
    if not (left <= x <= right and top <= y <= bottom):
        return None
    # The flap: two lines from the top corners to the middle.
    flap = min(distance_to_segment(x, y, left, top, 0.5, 0.53),
               distance_to_segment(x, y, right, top, 0.5, 0.53))
    border = min(x - left, right - x, y - top, bottom - y)
    if border < stroke or flap < stroke / 1.5:
        return EDGE
    return PAPER


def render(size):
    rows = []
    for py in range(size):
        row = bytearray([0])  # PNG filter: none
        for px in range(size):
            total = [0, 0, 0]
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    colour = colour_at((px + (sx + 0.5) / SAMPLES) / size,
                                       (py + (sy + 0.5) / SAMPLES) / size)
                    if colour:
                        hits += 1
                        total = [t + c for t, c in zip(total, colour)]
            if hits:
                row += bytes(round(t / hits) for t in total)
                row.append(round(255 * hits / SAMPLES ** 2))
            else:
                row += b"\0\0\0\0"
        rows.append(bytes(row))
    return png(size, b"".join(rows))


def png(size, raw):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    images = [render(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        side = size if size < 256 else 0  # 0 stands for 256
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(sys.argv[1], "wb") as out:
        out.write(directory + b"".join(images))


if __name__ == "__main__":
    main()
