#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The real viewer under Xvfb, driven by the keyboard alone: a colour of Sprite #3 is edited
through the palette panel and the colour editor, the window shows it, and Save writes exactly the
colour word the editor showed. Exits 77 without Xvfb, xdotool or import."""

import os
import struct
import subprocess
import sys
import time

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xvfb_open_test import (BLACK, HEIGHT, WIDTH, XSession, need, run_under_xvfb, sheet_index,
                            write_sheet)

ROW, INDEX = 2, 1
TYPED, BECOMES, WORD = "#FF80FF", (248, 128, 248), 31 | 16 << 5 | 31 << 10


def expected_color(x, y):
    """The sheet in Sprite #3, its index 1 in the edited colour, over the checkerboard."""
    if x in (-1, WIDTH) or y in (-1, HEIGHT):
        return BLACK
    index = sheet_index(x, y)
    if index == INDEX:
        return BECOMES
    if index:
        entry = ROW * 16 + index
        return ((entry & 31) * 8, (entry >> 3) * 8, 16 * 8)
    return (192, 192, 192) if (x // 32 + y // 32) % 2 == 0 else (255, 255, 255)


def shows_edit(shot):
    image = Image.open(shot).convert("RGB")
    pixels, (width, height) = image.load(), image.size
    ox, oy = need(next(((x + 1, y + 1) for y in range(height - HEIGHT) for x in range(width - WIDTH)
                        if all(pixels[x + i, y] == BLACK for i in range(WIDTH + 2)) and
                        all(pixels[x, y + j] == BLACK for j in range(HEIGHT + 2))), None),
                  "no picture outline in the window")
    wrong = ["picture pixel (%d, %d) is %s, expected %s"
             % (x, y, pixels[ox + x, oy + y], expected_color(x, y))
             for y in range(-1, HEIGHT + 1) for x in range(-1, WIDTH + 1)
             if pixels[ox + x, oy + y] != expected_color(x, y)]
    print("\n".join(wrong[:10]))
    return not wrong


def run(tavrel, work, processes):
    sheet = os.path.join(work, "sheet.spr")
    write_sheet(sheet, blue=16)
    session = XSession(work, processes)
    env, xdotool, find = session.env, session.xdotool, session.find

    def keys(window, *names):
        xdotool("windowfocus", "--sync", window)
        for name in names:
            xdotool("key", name)
            time.sleep(0.3)

    processes.append(subprocess.Popen([tavrel, sheet], cwd=work, env=env))
    window = find("^sheet.spr - Orvo")
    time.sleep(1.5)
    # Tab from the selector to the palette panel, down to Sprite #3, right
    # to index 1, Enter for the colour editor.
    keys(window, "Tab", "Down", "Down", "Right", "Return")
    editor = find("^Edit Colour$")
    keys(editor, "alt+h", "ctrl+a")
    xdotool("type", "--delay", "30", TYPED)
    keys(editor, "Return", "Return")
    # Tab on to the sheet: the panel's swatch no longer outlines its pixels.
    keys(find("^sheet.spr\\*? - Orvo"), "Tab")
    time.sleep(1.5)
    shot = os.path.join(work, "window.png")
    subprocess.run(["import", "-window", window, shot], env=env, check=True, timeout=30)
    need(shows_edit(shot), "the window does not show the edited colour")

    # Save writes the file opened, with the colour word shown.
    keys(window, "ctrl+s")
    entry = ROW * 16 + INDEX
    for _ in range(20):
        with open(sheet, "rb") as written:
            (word,) = struct.unpack_from("<H", written.read(512), 2 * entry)
        if word == WORD:
            break
        time.sleep(0.5)
    need(word == WORD, "entry %d was saved as 0x%04X, not 0x%04X" % (entry, word, WORD))
    return 0


if __name__ == "__main__":
    sys.exit(run_under_xvfb(run))
