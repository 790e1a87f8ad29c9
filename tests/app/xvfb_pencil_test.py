#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The real viewer under Xvfb at 8x: ] twice chooses index 3, the pencil draws a line between
two pointer positions, Ctrl+S writes the sheet's own file, and the file holds that line and
nothing else new. Exits 77 without Xvfb, xdotool or import."""

import os
import subprocess
import sys
import time

from PIL import Image

from xvfb_open_test import BLACK, XSession, need, run_under_xvfb, sheet_index, write_sheet

ZOOM = 8
INDEX = 3  # the left button's index starts at 1; ] twice
FROM, TO = (1, 3), (13, 40)  # in the transparent block at the sheet's top-left


def bresenham(start, end):
    """Every pixel of a line, one a column or row where it is shallow or steep."""
    (x, y), (x1, y1) = start, end
    dx, dy = abs(x1 - x), -abs(y1 - y)
    sx, sy = (x1 > x) - (x1 < x), (y1 > y) - (y1 < y)
    error, pixels = dx + dy, [(x, y)]
    while (x, y) != (x1, y1):
        twice = 2 * error
        if twice >= dy:
            error, x = error + dy, x + sx
        if twice <= dx:
            error, y = error + dx, y + sy
        pixels.append((x, y))
    return set(pixels)


def pixel_of(data, x, y):
    byte = data[512 + (y * 256 + x) // 2]
    return byte >> 4 if x % 2 else byte & 15


def picture_corner(shot):
    """The top-left picture pixel on the screen: one in from the outline's corner."""
    pixels = Image.open(shot).convert("RGB").load()
    width, height = Image.open(shot).size
    for y in range(height - 60):
        for x in range(width - 60):
            if (pixels[x, y] == BLACK and pixels[x + 1, y + 1] != BLACK and
                    all(pixels[x + i, y] == BLACK for i in range(60)) and
                    all(pixels[x, y + j] == BLACK for j in range(60))):
                return x + 1, y + 1
    raise RuntimeError("no picture outline on the screen")


def run(tavrel, work, processes):
    sheet = os.path.join(work, "sheet.spr")
    write_sheet(sheet, blue=16)
    with open(sheet, "ab") as out:
        out.write(b"TRAILING")
    before = open(sheet, "rb").read()
    config = os.path.join(work, "config", "tavrel")
    os.makedirs(config)
    with open(os.path.join(config, "tavrel.conf"), "w") as out:
        out.write("[view]\nzoom=%d\n[window]\nsize=@Size(800 700)\n" % ZOOM)
    session = XSession(work, processes)
    env, xdotool, find = session.env, session.xdotool, session.find

    processes.append(subprocess.Popen([tavrel, sheet], cwd=work, env=env))
    window = find("^sheet.spr - Orvo")
    xdotool("windowmove", "--sync", window, "0", "0")
    time.sleep(1.5)
    shot = os.path.join(work, "screen.png")
    subprocess.run(["import", "-window", "root", shot], env=env, check=True, timeout=30)
    left, top = picture_corner(shot)

    def on_screen(pixel):
        return [str(left + ZOOM * pixel[0] + ZOOM // 2), str(top + ZOOM * pixel[1] + ZOOM // 2)]

    xdotool("windowfocus", "--sync", window)
    xdotool("key", "bracketright", "bracketright")
    xdotool("mousemove", "--sync", *on_screen(FROM))
    xdotool("mousedown", "1")
    xdotool("mousemove", "--sync", *on_screen(TO))
    xdotool("mouseup", "1")
    # Save writes the file the sheet was opened from, without a chooser.
    saved = sheet
    xdotool("key", "ctrl+s")
    for _ in range(20):
        if open(saved, "rb").read() != before:
            break
        time.sleep(0.5)
    after = open(saved, "rb").read()

    drawn = bresenham(FROM, TO)
    need(after[:512] == before[:512] and after.endswith(b"TRAILING"),
         "the palette or the trailing block changed")
    wrong = ["pixel (%d, %d) is %d" % (x, y, pixel_of(after, x, y))
             for y in range(288) for x in range(256)
             if pixel_of(after, x, y) != (INDEX if (x, y) in drawn else sheet_index(x, y))]
    print("\n".join(wrong[:10]))
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(run_under_xvfb(run))
