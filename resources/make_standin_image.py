#!/usr/bin/env python3
"""Writes the stand-in firmware image: `length` pseudo-random bytes from a fixed
seed, so that every build makes the same file and a lost, repeated or reordered
block changes what the PLC ends up holding."""

import struct
import sys

MASK64 = (1 << 64) - 1


def splitmix64(state):
    while True:
        state = (state + 0x9E3779B97F4A7C15) & MASK64
        z = state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK64
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK64
        yield z ^ (z >> 31)


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: make_standin_image.py OUTPUT LENGTH SEED")
    output, length, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3], 0)
    words = splitmix64(seed)
    data = bytearray()
    while len(data) < length:
        data += struct.pack("<Q", next(words))
    with open(output, "wb") as out:
        out.write(bytes(data[:length]))


if __name__ == "__main__":
    main()
