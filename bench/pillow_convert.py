#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""SPR sprite sheets to 8-bit BMP or PNG with Pillow: the script a modder would write.

Usage: pillow_convert.py [--png] OUTPUT_FOLDER SHEET.spr...

Kept as the baseline that convert_bench.py measures tavrel-convert against.
Each BMP (or indexed PNG, with --png) carries the sheet's 256 colours and its
4-bit pixels as indices.
"""
import os
import struct
import sys

from PIL import Image

WIDTH, HEIGHT = 256, 288
PALETTE_BYTES = 512
SHEET_BYTES = PALETTE_BYTES + HEIGHT * WIDTH // 2


def read_palette(data):
    palette = []
    for word in struct.unpack_from("<256H", data, 0):
        palette += [(word & 0x1F) * 8, (word >> 5 & 0x1F) * 8, (word >> 10 & 0x1F) * 8]
    return palette


def read_pixels(data):
    # Two pixels a byte, the left one in the low nibble.
    pixels = bytearray()
    for byte in data[PALETTE_BYTES:SHEET_BYTES]:
        pixels.append(byte & 0x0F)
        pixels.append(byte >> 4)
    return bytes(pixels)


def convert(path, folder, extension):
    with open(path, "rb") as sheet:
        data = sheet.read().ljust(SHEET_BYTES, b"\0")
    image = Image.frombytes("P", (WIDTH, HEIGHT), read_pixels(data))
    image.putpalette(read_palette(data))
    name = os.path.splitext(os.path.basename(path))[0] + "." + extension
    image.save(os.path.join(folder, name), extension.upper())


def main(arguments):
    extension = "bmp"
    if arguments[:1] == ["--png"]:
        extension = "png"
        arguments = arguments[1:]
    if len(arguments) < 2:
        sys.exit(__doc__)
    for path in arguments[1:]:
        convert(path, arguments[0], extension)


if __name__ == "__main__":
    main(sys.argv[1:])
