#!/usr/bin/env python3
"""Writes the icon files of the program, 32 bits per pixel:

    make_icon.py background OUT.ico   the window's background picture: one
                                      48 x 48 image (9,662 bytes), a soft sky
                                      tile with a translucent ring, tiled
                                      behind the window's units
    make_icon.py program OUT.ico      the runtime's default window icon, 32 x 32
                                      and 16 x 16: a white arrow pointing down
                                      on a blue disc"""
import math
import struct
import sys


def background_pixel(x, y, size):
    # A pale blue-to-white gradient with a faint ring; BGRA.
    t = y / (size - 1)
    r, g, b = int(214 + 30 * t), int(232 + 18 * t), 252
    d = math.hypot(x - 23.5, y - 23.5)
    ring = max(0.0, 1.0 - abs(d - 15) / 3.0)
    r, g, b = int(r - 40 * ring), int(g - 25 * ring), b
    alpha = 255 if ring < 0.5 else 200
    return bytes((b, g, r, alpha))


def program_pixel(x, y, size):
    # Coordinates in units of the image, centre at 0.5, 0.5.
    u, v = (x + 0.5) / size, (y + 0.5) / size
    edge = 0.47 - math.hypot(u - 0.5, v - 0.5)
    if edge < 0:
        return bytes(4)
    alpha = min(255, int(255 * edge * size + 128))
    stem = abs(u - 0.5) < 0.09 and 0.2 < v < 0.58
    head = 0.5 <= v < 0.8 and abs(u - 0.5) < (0.8 - v) * 0.95
    if stem or head:
        return bytes((255, 255, 255, alpha))
    return bytes((0xD8, 0x7B, 0x2D, alpha))


def image(size, pixel):
    rows = [b"".join(pixel(x, y, size) for x in range(size)) for y in range(size)]
    xor = b"".join(reversed(rows))  # bottom-up
    mask = bytes((size + 31) // 32 * 4 * size)  # the alpha channel decides
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def icon_file(sizes, pixel):
    images = [image(size, pixel) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


if __name__ == "__main__":
    kind, path = sys.argv[1:3]
    if kind == "background":
        data = icon_file([48], background_pixel)
        assert len(data) == 9662, len(data)
    else:
        data = icon_file([32, 16], program_pixel)
    with open(path, "wb") as f:
        f.write(data)
