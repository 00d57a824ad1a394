#!/usr/bin/env python3
"""Writes the program's icon and logo: a .ico with one 128x128 24-bit image and
a 708x218 24-bit .bmp. Plain Python, so the build needs no image tools.

usage: make_art.py <icon.ico> <logo.bmp>
"""

import struct
import sys

# 5x7 capitals for the lettering, one string of 5 bits per row.
GLYPHS = {
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "C": ["01111", "10000", "10000", "10000", "10000", "10000", "01111"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    " ": ["00000"] * 7,
}

NAVY = (0x1F, 0x3A, 0x68)
STEEL = (0x3C, 0x6E, 0xA8)
WHITE = (0xFF, 0xFF, 0xFF)
ORANGE = (0xF2, 0x8C, 0x28)
CHIP = (0x2B, 0x2B, 0x2B)
PIN = (0xC8, 0xC8, 0xC8)


class Canvas:
    def __init__(self, width, height, colour):
        self.width, self.height = width, height
        self.rows = [[colour] * width for _ in range(height)]

    def fill(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.height, y1)):
            row = self.rows[y]
            for x in range(max(0, x0), min(self.width, x1)):
                row[x] = colour

    def gradient(self, top, bottom):
        for y in range(self.height):
            t = y / max(1, self.height - 1)
            colour = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
            self.rows[y] = [colour] * self.width

    def text(self, x, y, text, scale, colour):
        for glyph in text:
            for row, bits in enumerate(GLYPHS[glyph]):
                for column, bit in enumerate(bits):
                    if bit == "1":
                        self.fill(x + column * scale, y + row * scale,
                                  x + (column + 1) * scale, y + (row + 1) * scale, colour)
            x += 6 * scale

    def chip(self, x, y, size):
        """A controller chip with pins on two sides and a flash on its face."""
        pin = max(2, size // 16)
        for i in range(5):
            py = y + size // 8 + i * (size * 3 // 16)
            self.fill(x - size // 8, py, x, py + pin * 2, PIN)
            self.fill(x + size, py, x + size + size // 8, py + pin * 2, PIN)
        self.fill(x, y, x + size, y + size, CHIP)
        # A lightning flash: two slanted bars.
        for i in range(size // 2):
            cx = x + size // 2 + size // 8 - i // 3
            self.fill(cx - pin, y + size // 8 + i, cx + pin, y + size // 8 + i + 1, ORANGE)
        for i in range(size // 2):
            cx = x + size // 2 + size // 16 - i // 3 + size // 8
            top = y + size // 2 + size // 8
            self.fill(cx - pin, top + i // 2, cx + pin, top + i // 2 + 1, ORANGE)

    def bottom_up_rows(self):
        """24-bit BGR rows from the bottom, each padded to 4 bytes."""
        padding = b"\0" * ((4 - self.width * 3 % 4) % 4)
        for row in reversed(self.rows):
            yield b"".join(bytes((b, g, r)) for r, g, b in row) + padding


def bitmap_info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, image_size, 2835, 2835, 0, 0)


def write_bmp(path, canvas):
    pixels = b"".join(canvas.bottom_up_rows())
    header = bitmap_info_header(canvas.width, canvas.height, len(pixels))
    offset = 14 + len(header)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset))
        f.write(header)
        f.write(pixels)


def write_ico(path, canvas):
    pixels = b"".join(canvas.bottom_up_rows())
    # The AND mask: one bit a pixel, rows padded to 32 bits; all clear (opaque).
    mask = b"\0" * (((canvas.width + 31) // 32) * 4 * canvas.height)
    # An icon's header counts the colour image and the mask: twice the height.
    image = bitmap_info_header(canvas.width, canvas.height * 2, len(pixels) + len(mask))
    image += pixels + mask
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1))
        f.write(struct.pack("<BBBBHHII", canvas.width % 256, canvas.height % 256, 0, 0, 1, 24,
                            len(image), 6 + 16))
        f.write(image)


def icon():
    canvas = Canvas(128, 128, NAVY)
    canvas.gradient(STEEL, NAVY)
    canvas.chip(28, 24, 72)
    canvas.fill(0, 112, 128, 128, ORANGE)
    return canvas


def logo():
    canvas = Canvas(708, 218, NAVY)
    canvas.gradient(STEEL, NAVY)
    canvas.chip(48, 49, 120)
    canvas.text(236, 54, "PLC", 10, WHITE)
    canvas.text(236, 134, "BURN", 6, ORANGE)
    canvas.fill(0, 206, 708, 218, ORANGE)
    return canvas


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    write_ico(sys.argv[1], icon())
    write_bmp(sys.argv[2], logo())


if __name__ == "__main__":
    main()
