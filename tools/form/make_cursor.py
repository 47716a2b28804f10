#!/usr/bin/env python3
"""Writes the runtime's hand cursor: a Windows cursor file with one 32 x 32
monochrome image, a pointing hand whose fingertip is the hot spot. The
program embeds it as cursor resource 1032 (mouse-pointer code 14).

    make_cursor.py OUT.cur"""
import struct
import sys

SIZE = 32
HOT_SPOT = (6, 0)
# X outline (black), o inside (white), anything else transparent.
HAND = """
......XX
.....XooX
.....XooX
.....XooX
.....XooX
.....XooXXX
.....XooXooXXX
.....XooXooXooXX
.XX..XooXooXooXoX
XooX.XooooooooXooX
XoooXXoooooooooooX
.XoooXoooooooooooX
..XooooooooooooooX
..XooooooooooooooX
...XoooooooooooooX
...XooooooooooooX
....XoooooooooooX
....XooooooooooX
.....XoooooooooX
.....XoooooooooX
.....XXXXXXXXXXX
""".strip("\n").splitlines()


def rows(inked):
    """Bottom-up rows of one bit per pixel, 4 bytes each; `inked` says which pixels get a 1."""
    out = b""
    for y in reversed(range(SIZE)):
        line = HAND[y] if y < len(HAND) else ""
        bits = 0
        for x in range(SIZE):
            if inked(line[x] if x < len(line) else "."):
                bits |= 1 << (SIZE - 1 - x)
        out += struct.pack(">I", bits)
    return out


def cursor():
    xor = rows(lambda c: c == "o")  # white where 1 (palette entry 1)
    mask = rows(lambda c: c not in "Xo")  # transparent where 1
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, HOT_SPOT[0], HOT_SPOT[1], len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as f:
        f.write(cursor())
