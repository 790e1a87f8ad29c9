#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Colour reduction quality: Tavrel against Pillow's median cut.

Usage: reduce_quality.py [TAVREL_REDUCE_PICTURE]

The pictures are real truecolour unit sprites with alpha: each unit of the
"cimpletoon" set of Freeciv (Debian package freeciv-data, GPL-2+), its eight
facings of 64 x 48 laid out 4 x 2 as one 256 x 96 picture. Install them with
`apt-get install freeciv-data`.

Each picture is thresholded at alpha 128, then reduced to 15 colours plus
transparent in 15-bit colour, without dithering:
 - by Tavrel (build/bench/tavrel_reduce_picture, or the program given);
 - by Pillow's quantize(15) (median cut) over the opaque pixels, its palette
   then rounded to the nearest 15-bit colours (each channel to a multiple
   of 8, at most 248) and its own pixel assignment kept.
Both are measured here, by the mean CIEDE2000 difference over the opaque
pixels between each pixel's colour and the colour it is shown in. Where
Pillow has libimagequant, its own choice is measured the same way beside
them.
"""
import glob
import math
import os
import re
import subprocess
import sys

from PIL import Image, features

SET = "/usr/share/games/freeciv/cimpletoon/orient_units"
TILE_W, TILE_H, BORDER, FACINGS = 64, 48, 1, 8
COLUMNS = 4
THRESHOLD = 128
TARGET = 0.8


def linear(c):
    c /= 255.0
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def lab(rgb):
    r, g, b = (linear(c) for c in rgb)
    x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047
    y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b
    z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883

    def f(t):
        return t ** (1 / 3) if t > 216 / 24389 else (24389 / 27 * t + 16) / 116

    fx, fy, fz = f(x), f(y), f(z)
    return 116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)


def ciede2000(lab1, lab2):
    L1, a1, b1 = lab1
    L2, a2, b2 = lab2
    c_mean = (math.hypot(a1, b1) + math.hypot(a2, b2)) / 2
    g = 0.5 * (1 - math.sqrt(c_mean ** 7 / (c_mean ** 7 + 25 ** 7)))
    a1p, a2p = (1 + g) * a1, (1 + g) * a2
    c1p, c2p = math.hypot(a1p, b1), math.hypot(a2p, b2)
    h1p = math.degrees(math.atan2(b1, a1p)) % 360 if c1p else 0.0
    h2p = math.degrees(math.atan2(b2, a2p)) % 360 if c2p else 0.0
    dl, dc = L2 - L1, c2p - c1p
    if c1p * c2p == 0:
        dh = 0.0
    else:
        dh = h2p - h1p
        dh = dh - 360 if dh > 180 else dh + 360 if dh < -180 else dh
    d_big_h = 2 * math.sqrt(c1p * c2p) * math.sin(math.radians(dh / 2))
    l_mean, cp_mean = (L1 + L2) / 2, (c1p + c2p) / 2
    if c1p * c2p == 0:
        h_mean = h1p + h2p
    elif abs(h1p - h2p) <= 180:
        h_mean = (h1p + h2p) / 2
    else:
        h_mean = (h1p + h2p + 360) / 2 if h1p + h2p < 360 else (h1p + h2p - 360) / 2
    t = (1 - 0.17 * math.cos(math.radians(h_mean - 30)) + 0.24 * math.cos(math.radians(2 * h_mean))
         + 0.32 * math.cos(math.radians(3 * h_mean + 6))
         - 0.20 * math.cos(math.radians(4 * h_mean - 63)))
    d_theta = 30 * math.exp(-((h_mean - 275) / 25) ** 2)
    r_c = 2 * math.sqrt(cp_mean ** 7 / (cp_mean ** 7 + 25 ** 7))
    s_l = 1 + 0.015 * (l_mean - 50) ** 2 / math.sqrt(20 + (l_mean - 50) ** 2)
    s_c = 1 + 0.045 * cp_mean
    s_h = 1 + 0.015 * cp_mean * t
    r_t = -math.sin(math.radians(2 * d_theta)) * r_c
    return math.sqrt((dl / s_l) ** 2 + (dc / s_c) ** 2 + (d_big_h / s_h) ** 2
                     + r_t * (dc / s_c) * (d_big_h / s_h))


class Measure:
    """The mean CIEDE2000 of (picture colour, shown colour) pairs, each worked out once."""

    def __init__(self):
        self.labs = {}
        self.pairs = {}

    def lab(self, rgb):
        if rgb not in self.labs:
            self.labs[rgb] = lab(rgb)
        return self.labs[rgb]

    def mean(self, pairs):
        total = 0.0
        for pair in pairs:
            if pair not in self.pairs:
                self.pairs[pair] = ciede2000(self.lab(pair[0]), self.lab(pair[1]))
            total += self.pairs[pair]
        return total / len(pairs)


def unit_names():
    # The tileset's text list of the sprites beside the picture names each row's unit.
    listing = next(path for path in glob.glob(SET + ".*") if not path.endswith(".png"))
    names = {}
    with open(listing) as text:
        for row, name in re.findall(r'^\s*(\d+),\s*\d+,\s*"u\.(\w+)_\w+"', text.read(), re.M):
            names.setdefault(int(row), name)
    return names


def unit_picture(sheet, row):
    picture = Image.new("RGBA", (TILE_W * COLUMNS, TILE_H * FACINGS // COLUMNS))
    for facing in range(FACINGS):
        x = BORDER + facing * (TILE_W + BORDER)
        y = BORDER + row * (TILE_H + BORDER)
        tile = sheet.crop((x, y, x + TILE_W, y + TILE_H))
        picture.paste(tile, (facing % COLUMNS * TILE_W, facing // COLUMNS * TILE_H))
    return picture


def to_15_bits(channel):
    return min(31, round(channel / 8)) * 8


def pillow_pairs(opaque, method=Image.Quantize.MEDIANCUT):
    strip = Image.new("RGB", (len(opaque), 1))
    strip.putdata(opaque)
    quantized = strip.quantize(15, method=method)
    palette = quantized.getpalette()[:45]
    shown = [tuple(to_15_bits(c) for c in palette[3 * i:3 * i + 3]) for i in range(15)]
    return [(rgb, shown[i]) for rgb, i in zip(opaque, quantized.getdata())]


def tavrel_pairs(program, picture, pixels):
    run = subprocess.run([program, str(picture.width), str(picture.height)],
                         input=picture.tobytes(), capture_output=True, check=True)
    row = [tuple(run.stdout[3 * i:3 * i + 3]) for i in range(16)]
    indices = run.stdout[48:]
    pairs = []
    for (r, g, b, a), index in zip(pixels, indices):
        if a >= THRESHOLD:
            if index == 0:
                sys.exit("an opaque pixel became transparent")
            pairs.append(((r, g, b), row[index]))
        elif index != 0:
            sys.exit("a transparent pixel became opaque")
    own = dict(re.findall(r"(\w+) ([\d.]+)", run.stderr.decode()))
    return pairs, float(own["mean"])


def main():
    program = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "build", "bench", "tavrel_reduce_picture")
    if not os.path.exists(SET + ".png"):
        sys.exit("The sprite set is Freeciv's; install it with: apt-get install freeciv-data")
    sheet = Image.open(SET + ".png").convert("RGBA")
    measure = Measure()
    # libimagequant's own choice, where Pillow has it, for comparison.
    liq = features.check("libimagequant")
    print(f"{'unit':24} {'colours':>7} {'Pillow':>7} {'Tavrel':>7} {'ratio':>6}"
          + (f" {'liq':>6} {'ratio':>6}" if liq else ""))
    ratios, liq_ratios, ours_total, pillow_total, liq_total = [], [], 0.0, 0.0, 0.0
    for row, name in sorted(unit_names().items()):
        picture = unit_picture(sheet, row)
        pixels = list(picture.getdata())
        opaque = [(r, g, b) for r, g, b, a in pixels if a >= THRESHOLD]
        if not opaque:
            continue
        ours, own_mean = tavrel_pairs(program, picture, pixels)
        ours_mean = measure.mean(ours)
        pillow_mean = measure.mean(pillow_pairs(opaque))
        if abs(own_mean - ours_mean) > 0.01:
            sys.exit(f"{name}: Tavrel measures {own_mean:.4f}, this script {ours_mean:.4f}")
        ratios.append(ours_mean / pillow_mean)
        ours_total += ours_mean
        pillow_total += pillow_mean
        line = (f"{name:24} {len(set(opaque)):7} {pillow_mean:7.3f} {ours_mean:7.3f} "
                f"{ratios[-1]:6.3f}")
        if liq:
            liq_mean = measure.mean(pillow_pairs(opaque, Image.Quantize.LIBIMAGEQUANT))
            liq_ratios.append(liq_mean / pillow_mean)
            liq_total += liq_mean
            line += f" {liq_mean:6.3f} {liq_ratios[-1]:6.3f}"
        print(line)
    overall = ours_total / pillow_total
    print(f"{len(ratios)} pictures: mean CIEDE2000 {ours_total / len(ratios):.3f} against "
          f"{pillow_total / len(ratios):.3f}, ratio {overall:.3f} overall, "
          f"{min(ratios):.3f} to {max(ratios):.3f} per picture")
    if liq:
        print(f"libimagequant's own choice: ratio {liq_total / pillow_total:.3f} overall, "
              f"{min(liq_ratios):.3f} to {max(liq_ratios):.3f} per picture")
    return 0 if overall <= TARGET and max(ratios) <= 1.0 else 1


if __name__ == "__main__":
    sys.exit(main())
