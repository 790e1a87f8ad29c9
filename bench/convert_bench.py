#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Times tavrel-convert against the Pillow baseline (pillow_convert.py).

Usage: convert_bench.py [--convert PATH] [--count N] [--formats bmp,png] [--keep]

Generates N seeded SPR sheets in a temporary folder and converts them all to
BMP, then to PNG, four ways each: tavrel-convert in one call and one process
per file, the Pillow script one process per file and all files in one
process. Prints files per second and the ratios against the targets (BMP:
tavrel-convert in one call at least 50 times the Pillow script one process
per file, and 5 times the Pillow script in one process; PNG: in one call at
least 30 times the Pillow script one process per file). Checks that both give the same indices and colours for every file.
"""
import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
PILLOW_SCRIPT = os.path.join(HERE, "pillow_convert.py")
PYTHON = "/usr/bin/python3"
SHEET_BYTES = 37376
# (ours, baseline, at least this many times as many files per second)
TARGETS = {
    "bmp": [("one call", "Pillow, one process per file", 50),
            ("one call", "Pillow, all files in one process", 5)],
    "png": [("one call", "Pillow, one process per file", 30)],
}


def generate_sheets(folder, count):
    sheets = []
    rng = random.Random(20240601)
    for number in range(count):
        colours = b"".join((rng.getrandbits(15)).to_bytes(2, "little") for _ in range(256))
        pixels = rng.randbytes(SHEET_BYTES - len(colours))
        trailing = rng.randbytes(rng.choice((0, 0, 64, 2624)))
        path = os.path.join(folder, "sheet%04d.spr" % number)
        with open(path, "wb") as sheet:
            sheet.write(colours + pixels + trailing)
        sheets.append(path)
    return sheets


def timed(run):
    start = time.perf_counter()
    run()
    return time.perf_counter() - start


def each_in_own_process(make_command, sheets):
    for sheet in sheets:
        subprocess.run(make_command(sheet), check=True)


def same_picture(first, second):
    with Image.open(first) as one, Image.open(second) as other:
        return (one.mode == other.mode == "P" and one.tobytes() == other.tobytes()
                and one.getpalette()[:768] == other.getpalette()[:768])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--convert", default=os.path.join(HERE, "..", "build", "cli", "tavrel-convert"))
    parser.add_argument("--count", type=int, default=1000)
    parser.add_argument("--formats", default="bmp,png", help="output formats, comma-separated")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    options = parser.parse_args()
    convert = os.path.abspath(options.convert)
    if not os.access(convert, os.X_OK):
        sys.exit("no tavrel-convert at %s (build it, or give --convert)" % convert)

    root = tempfile.mkdtemp(prefix="tavrel-bench-")
    try:
        os.mkdir(os.path.join(root, "sheets"))
        sheets = generate_sheets(os.path.join(root, "sheets"), options.count)
        print("%d sheets (256 x 288) in %s" % (len(sheets), root))
        faults = sum(bench_format(convert, sheets, root, extension)
                     for extension in options.formats.split(","))
        return 1 if faults else 0
    finally:
        if options.keep:
            print("kept %s" % root)
        else:
            shutil.rmtree(root)


def bench_format(convert, sheets, root, extension):
    """Times the four ways for one output format; answers how many outputs differ."""
    out = {name: os.path.join(root, extension + "-" + name)
           for name in ("one-call", "per-file", "pillow-per-file", "pillow-one")}
    for folder in out.values():
        os.mkdir(folder)
    pillow = [PYTHON, PILLOW_SCRIPT] + (["--png"] if extension == "png" else [])
    runs = [
        ("one call", lambda: subprocess.run(
            [convert, *sheets, "-o", out["one-call"], "--to", extension], check=True)),
        ("one process per file", lambda: each_in_own_process(
            lambda sheet: [convert, sheet, "-o", out["per-file"], "--to", extension], sheets)),
        ("Pillow, one process per file", lambda: each_in_own_process(
            lambda sheet: [*pillow, out["pillow-per-file"], sheet], sheets)),
        ("Pillow, all files in one process", lambda: subprocess.run(
            [*pillow, out["pillow-one"], *sheets], check=True)),
    ]
    rates = {}
    print("SPR -> %s" % extension.upper())
    for name, run in runs:
        seconds = timed(run)
        rates[name] = len(sheets) / seconds
        label = name if name.startswith("Pillow") else "tavrel-convert, " + name
        print("  %-40s %8.3f s  %9.1f files/s" % (label, seconds, rates[name]))

    def output(folder, sheet):
        return os.path.join(out[folder], os.path.basename(sheet)[:-4] + "." + extension)

    mismatched = [sheet for sheet in sheets
                  if not same_picture(output("one-call", sheet), output("pillow-one", sheet))]
    print("  outputs agree (indices and colours): %s" % (
        "yes" if not mismatched else "NO: %d differ" % len(mismatched)))
    sizes = [sum(os.path.getsize(output(folder, sheet)) for sheet in sheets) / len(sheets)
             for folder in ("one-call", "pillow-one")]
    print("  mean file size: tavrel-convert %.0f bytes, Pillow %.0f bytes" % tuple(sizes))
    for ours, baseline, target in TARGETS.get(extension, []):
        ratio = rates[ours] / rates[baseline]
        print("  %s vs %-34s %7.1f x  (target >= %d x: %s)" % (
            ours, baseline, ratio, target, "met" if ratio >= target else "MISSED"))
    return len(mismatched)


if __name__ == "__main__":
    sys.exit(main())
