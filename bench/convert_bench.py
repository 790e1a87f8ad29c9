#!/usr/bin/python3
"""Times tavrel-convert against the Pillow baseline (pillow_convert.py).

Usage: convert_bench.py [--convert PATH] [--count N] [--keep]

Generates N seeded SPR sheets in a temporary folder and converts them all to
BMP four ways: tavrel-convert in one call and one process per file, the
Pillow script one process per file and all files in one process. Prints
files per second and the ratios against the targets (tavrel-convert in one
call at least 50 times the Pillow script one process per file, and 5 times
the Pillow script in one process). Checks that both give the same indices and
colours for every file.
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
TARGET_AGAINST_PER_PROCESS = 50
TARGET_AGAINST_ONE_PROCESS = 5


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
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    options = parser.parse_args()
    convert = os.path.abspath(options.convert)
    if not os.access(convert, os.X_OK):
        sys.exit("no tavrel-convert at %s (build it, or give --convert)" % convert)

    root = tempfile.mkdtemp(prefix="tavrel-bench-")
    try:
        out = {name: os.path.join(root, name)
               for name in ("sheets", "one-call", "per-file", "pillow-per-file", "pillow-one")}
        for folder in out.values():
            os.mkdir(folder)
        sheets = generate_sheets(out["sheets"], options.count)

        runs = [
            ("tavrel-convert, one call", lambda: subprocess.run(
                [convert, *sheets, "-o", out["one-call"], "--to", "bmp"], check=True)),
            ("tavrel-convert, one process per file", lambda: each_in_own_process(
                lambda sheet: [convert, sheet, "-o", out["per-file"], "--to", "bmp"], sheets)),
            ("Pillow, one process per file", lambda: each_in_own_process(
                lambda sheet: [PYTHON, PILLOW_SCRIPT, out["pillow-per-file"], sheet], sheets)),
            ("Pillow, all files in one process", lambda: subprocess.run(
                [PYTHON, PILLOW_SCRIPT, out["pillow-one"], *sheets], check=True)),
        ]
        rates = {}
        print("%d sheets (256 x 288, SPR -> BMP) in %s" % (len(sheets), root))
        for name, run in runs:
            seconds = timed(run)
            rates[name] = len(sheets) / seconds
            print("  %-40s %8.3f s  %9.1f files/s" % (name, seconds, rates[name]))

        mismatched = [sheet for sheet in sheets if not same_picture(
            os.path.join(out["one-call"], os.path.basename(sheet)[:-4] + ".bmp"),
            os.path.join(out["pillow-one"], os.path.basename(sheet)[:-4] + ".bmp"))]
        print("  outputs agree (indices and colours): %s" % ("yes" if not mismatched else "NO: %d differ" % len(mismatched)))

        ours = rates["tavrel-convert, one call"]
        for baseline, target in (("Pillow, one process per file", TARGET_AGAINST_PER_PROCESS),
                                 ("Pillow, all files in one process", TARGET_AGAINST_ONE_PROCESS)):
            ratio = ours / rates[baseline]
            print("  one call vs %-34s %7.1f x  (target >= %d x: %s)" % (
                baseline, ratio, target, "met" if ratio >= target else "MISSED"))
        return 1 if mismatched else 0
    finally:
        if options.keep:
            print("kept %s" % root)
        else:
            shutil.rmtree(root)


if __name__ == "__main__":
    sys.exit(main())
