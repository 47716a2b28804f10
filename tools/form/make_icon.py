#!/usr/bin/env python3
"""Writes the window's background picture: a Windows icon file with one
48 x 48 image at 32 bits per pixel (9,662 bytes), a soft sky tile with a
translucent ring, tiled behind the window's units."""
import math
import struct
import sys

SIZE = 48


def pixel(x, y):
    # A pale blue-to-white gradient with a faint ring; BGRA.
    t = y / (SIZE - 1)
    r, g, b = int(214 + 30 * t), int(232 + 18 * t), 252
    d = math.hypot(x - 23.5, y - 23.5)
    ring = max(0.0, 1.0 - abs(d - 15) / 3.0)
    r, g, b = int(r - 40 * ring), int(g - 25 * ring), b
    alpha = 255 if ring < 0.5 else 200
    return bytes((b, g, r, alpha))


def icon():
    rows = [b"".join(pixel(x, y) for x in range(SIZE)) for y in range(SIZE)]
    xor = b"".join(reversed(rows))  # bottom-up
    mask = bytes(8 * SIZE)  # 48 bits per row, padded to 64
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    data = icon()
    assert len(data) == 9662, len(data)
    with open(sys.argv[1], "wb") as f:
        f.write(data)
