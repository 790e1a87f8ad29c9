#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the fuzz targets' seed inputs, one folder per target.

    make_seeds.py OUTPUT [--max-bytes N]

The small seeds are committed under fuzz/corpus/; scripts/fuzz.sh writes the
whole set, full-size sprite sheets included, into the working corpus.
"""
import argparse
import pathlib
import struct
import zlib

SPR_SHEET_BYTES = 37376
SP2_SHEET_BYTES = 32768


def native(width, height, depth, pixels, version=1):
    header = b"ZARN" + struct.pack("<IIiii", 0x494D4700, version, width, height, depth)
    return header + bytes(pixels)


def native_seeds():
    return {
        "rgb-2x1": native(2, 1, 24, [1, 2, 3, 4, 5, 6]),
        "indexed-3x2": native(3, 2, 8, range(6)),
        "rgba-2x2-short-rows": native(2, 2, 32, range(9)),
        "word-1x1": native(1, 1, 16, [0x1F, 0x7C]),
        "version-2": native(1, 1, 8, [0], version=2),
        "zero-width": native(0, 4, 8, []),
        # its byte count once overflowed 64 bits
        "size-beyond-64-bits": native(0x7FFFFFFF, 0x7FFFFFFF, 32, []),
    }


# The text target takes a delimiter choice, a step count, one byte per step
# (operation + 11 * buffer size) and then the text itself.
TEXT_OPERATIONS = {name: code for code, name in enumerate(
    "comment hex int float block line char flags token string byte".split())}


def text_input(delimiter_choice, steps, text):
    script = bytes(TEXT_OPERATIONS[name] + 11 * size for name, size in steps)
    return bytes([delimiter_choice, len(script) - 1]) + script + text


def text_seeds():
    every_number = [("int", 0), ("hex", 0), ("hex", 0), ("float", 0), ("float", 0),
                    ("flags", 0), ("flags", 0), ("token", 15), ("int", 0), ("char", 0)]
    return {
        "numbers": text_input(0, every_number,
                              b"# note\n  -42 1A2B3C4D5 0x1F -0.5 +1 AC 12 \"two words\" "
                              b"/* c */ 7 ; end\n x"),
        "semicolon-tokens": text_input(2, [("token", 8), ("token", 3), ("line", 0), ("token", 15)],
                                       b"word;toolongword;\nrest"),
        "length-prefixed": text_input(1, [("string", 4), ("string", 15), ("byte", 0)],
                                      b"\x03\x00\x00\x00abc\x00\x09\x00\x00\x00too long\x00"),
        "comments": text_input(3, [("comment", 0), ("comment", 0), ("block", 0), ("int", 0),
                                   ("float", 0)],
                               b"// line\n/* block */ 3.25, .5,2."),
    }


def color_words(count):
    return b"".join(struct.pack("<H", (i * 0x0421 + 0x8000 * (i % 2)) & 0xFFFF)
                    for i in range(count))


def pixel_rows(rows):
    return bytes((x + y) & 0xFF for y in range(rows) for x in range(128))


def sprite_seeds():
    full_spr = color_words(256) + pixel_rows(288)
    assert len(full_spr) == SPR_SHEET_BYTES
    return {
        "empty": b"",
        "palette-and-four-rows": color_words(256) + pixel_rows(4),
        "odd-length": color_words(3)[:5],
        "spr-with-trailing-block": full_spr + bytes(range(64)),
        "sp2-sheet": pixel_rows(256)[:SP2_SHEET_BYTES],
    }


def bmp(width, height, depth, palette, rows, compression=0, masks=b""):
    """A BITMAPINFOHEADER file; rows are given as stored, padding included."""
    pixels = b"".join(rows)
    offset = 14 + 40 + len(masks) + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, depth, compression, len(pixels),
                       2835, 2835, len(palette) // 4, 0)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return file_header + info + masks + palette + pixels


def os2_bmp(width, height, depth, rows):
    """An OS/2 1.x file: a 12-byte header with 16-bit sizes and no compression."""
    pixels = b"".join(rows)
    offset = 14 + 12
    header = struct.pack("<IHHHH", 12, width, height, 1, depth)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + header + pixels


def v5_bmp(width, height, depth, palette, rows):
    """A 124-byte header: the 40-byte one, then masks, colour space and profile fields."""
    pixels = b"".join(rows)
    offset = 14 + 124 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 124, width, height, 1, depth, 0, len(pixels), 0, 0,
                       len(palette) // 4, 0)
    extension = struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    extension += b"BGRs" + bytes(36) + struct.pack("<IIIIIII", 0, 0, 0, 4, 0, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return file_header + info + extension + palette + pixels


def grey_palette(count):
    return b"".join(bytes([i * 16 & 0xFF, i * 16 & 0xFF, i * 16 & 0xFF, 0]) for i in range(count))


def bmp_seeds():
    return {
        "indexed-4x2-bottom-up": bmp(4, 2, 8, grey_palette(16), [b"\x00\x01\x02\x03", b"\x04\x05\x06\x07"]),
        "indexed-3x2-top-down": bmp(3, -2, 8, grey_palette(4), [b"\x01\x02\x03\x00", b"\x03\x02\x01\x00"]),
        "rgb-3x1": bmp(3, 1, 24, b"", [b"\x00\x00\xff\x00\xff\x00\xff\x00\x00\x00\x00\x00"]),
        "rgba-2x2": bmp(2, 2, 32, b"", [b"\x01\x02\x03\x04\x05\x06\x07\x08", b"\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10"]),
        "four-bit-2x2": bmp(2, 2, 4, grey_palette(16), [b"\x12\x00\x00\x00", b"\x34\x00\x00\x00"]),
        "rle8-4x2": bmp(4, 2, 8, grey_palette(4), [b"\x04\x01\x00\x00\x02\x02\x02\x03\x00\x01"], compression=1),
        "rle4-4x2": bmp(4, 2, 4, grey_palette(16), [b"\x04\x12\x00\x00\x04\x34\x00\x01"], compression=2),
        "os2-rgb-4x4": os2_bmp(4, 4, 24, [bytes(range(i, i + 12)) for i in range(4)]),
        "v5-indexed-2x2": v5_bmp(2, 2, 8, grey_palette(2), [b"\x00\x01\x00\x00", b"\x01\x00\x00\x00"]),
        "bitfields-565-2x1": bmp(2, 1, 16, b"", [b"\x1f\x00\xe0\x07"], compression=3,
                                 masks=struct.pack("<III", 0xF800, 0x07E0, 0x001F)),
    }


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(width, height, depth, color_type, rows, palette=b"", interlace=0, extra=b""):
    """Rows are given as stored, each with its filter byte."""
    header = struct.pack(">IIBBBBB", width, height, depth, color_type, 0, 0, interlace)
    chunks = png_chunk(b"IHDR", header)
    if palette:
        chunks += png_chunk(b"PLTE", palette)
    chunks += extra + png_chunk(b"IDAT", zlib.compress(b"".join(rows))) + png_chunk(b"IEND", b"")
    return b"\x89PNG\r\n\x1a\n" + chunks


def png_seeds():
    grey4 = bytes(range(0, 48, 16)) * 4
    return {
        "indexed-8-4x2": png(4, 2, 8, 3, [b"\0\0\1\2\3", b"\0\3\2\1\0"], grey4),
        "indexed-4-3x2-trns": png(3, 2, 4, 3, [b"\0\x01\x20", b"\0\x32\x10"], grey4,
                                  extra=png_chunk(b"tRNS", b"\0")),
        "indexed-1-9x1": png(9, 1, 1, 3, [b"\0\xa5\x80"], b"\0\0\0\xff\xff\xff"),
        "grey-2-5x1": png(5, 1, 2, 0, [b"\0\x1b\x40"]),
        "grey-alpha-16-1x1": png(1, 1, 16, 4, [b"\0\x12\x34\x56\x78"]),
        "rgb-8-2x2-adam7": png(2, 2, 8, 2, [b"\0\1\2\3", b"\0\4\5\6", b"\0\7\x08\x09\x0a\x0b\x0c"],
                               interlace=1),
        "rgba-16-1x1": png(1, 1, 16, 6, [b"\0" + bytes(range(8))]),
    }


def palette_seeds():
    return {
        "jasc": b"JASC-PAL\r\n0100\r\n3\r\n0 0 0\r\n255 128 7\r\n16 32 48\r\n",
        "gimp": b"GIMP Palette\nName: seed\nColumns: 4\n# comment\n 0   0   0\tBlack\n255 255 255 White\n",
        "riff": b"RIFF" + struct.pack("<I", 20) + b"PAL data" + struct.pack("<IHH", 8, 0x300, 2)
                + b"\x01\x02\x03\0\x04\x05\x06\0",
        "act-772": bytes(range(256)) * 3 + struct.pack(">HH", 5, 0xFFFF),
        "colour-words-16": color_words(16),
        "colour-words-256": color_words(256),
    }


SEEDS = {
    "fuzz_native": native_seeds,
    "fuzz_text": text_seeds,
    "fuzz_sprite": sprite_seeds,
    "fuzz_bmp": bmp_seeds,
    "fuzz_png": png_seeds,
    "fuzz_palette": palette_seeds,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", type=pathlib.Path)
    parser.add_argument("--max-bytes", type=int, default=None)
    arguments = parser.parse_args()
    for target, make in SEEDS.items():
        folder = arguments.output / target
        folder.mkdir(parents=True, exist_ok=True)
        for name, data in make().items():
            if arguments.max_bytes is None or len(data) <= arguments.max_bytes:
                (folder / f"seed-{name}").write_bytes(data)


if __name__ == "__main__":
    main()
