#!/usr/bin/env python3
"""Writes the super buttons' built-in sound: a short soft click, 22.05 kHz
8-bit mono PCM, as a wave file."""
import math
import struct
import sys

RATE = 22050


def samples():
    count = RATE * 60 // 1000
    for i in range(count):
        t = i / RATE
        envelope = math.exp(-t * 90)
        yield int(128 + 90 * envelope * math.sin(2 * math.pi * 1800 * t))


def wave():
    data = bytes(samples())
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE, 1, 8)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as f:
        f.write(wave())
