#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The real viewer under Xvfb: `tavrel FILE` shows every pixel, follows a rewrite from outside,
and File > Open by keystrokes shows another sheet. Exits 77 without Xvfb, xdotool or import."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

from PIL import Image

WIDTH, HEIGHT = 256, 288
BLACK = (0, 0, 0)


def sheet_index(x, y):
    """Rows 0-191 hold stripes of all sixteen indices, the rest index 0."""
    return (x // 16 + y // 48) % 16 if y < 192 else 0


def expected_color(x, y, blue):
    """The outline just outside the picture, the sheet in row 0, the checkerboard behind."""
    index = sheet_index(x, y)
    if x in (-1, WIDTH) or y in (-1, HEIGHT):
        return BLACK
    if index:
        return ((index & 31) * 8, (index >> 3) * 8, blue * 8)
    return (192, 192, 192) if (x // 32 + y // 32) % 2 == 0 else (255, 255, 255)


def write_sheet(path, blue):
    with open(path, "wb") as out:
        out.write(b"".join(struct.pack("<H", (i & 31) | (i >> 3) << 5 | blue << 10)
                           for i in range(256)))
        out.write(bytes(sheet_index(x, y) | sheet_index(x + 1, y) << 4
                        for y in range(HEIGHT) for x in range(0, WIDTH, 2)))


def need(answer, failure):
    if not answer:
        raise RuntimeError(failure)
    return answer


def start_xvfb(processes):
    """Xvfb on a free display; it writes the number it took to a pipe."""
    reader, writer = os.pipe()
    processes.append(subprocess.Popen(
        ["Xvfb", "-displayfd", str(writer), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
        pass_fds=(writer,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    os.close(writer)
    # The number and its newline come in two writes: read the whole line,
    # since closing the pipe between them would end Xvfb with SIGPIPE.
    with os.fdopen(reader, "rb") as pipe:
        return ":" + need(pipe.readline().strip(), "Xvfb did not report a display").decode()


def shows_sheet(shot, blue):
    pixels = Image.open(shot).convert("RGB").load()
    width, height = Image.open(shot).size
    # The outline's top-left corner: a black row and column of its full
    # length; the picture starts one pixel in.
    ox, oy = need(next(((x + 1, y + 1) for y in range(height - HEIGHT) for x in range(width - WIDTH)
                        if all(pixels[x + i, y] == BLACK for i in range(WIDTH + 2)) and
                        all(pixels[x, y + j] == BLACK for j in range(HEIGHT + 2))), None),
                  "no picture outline in the window")
    wrong = ["picture pixel (%d, %d) is %s, expected %s"
             % (x, y, pixels[ox + x, oy + y], expected_color(x, y, blue))
             for y in range(-1, HEIGHT + 1) for x in range(-1, WIDTH + 1)
             if pixels[ox + x, oy + y] != expected_color(x, y, blue)]
    print("\n".join(wrong[:10]))
    return not wrong


class XSession:
    """A private X server and the environment to start Tavrel in it, with its configuration
    in work/config; xdotool runs there, find polls for a window by its title."""

    def __init__(self, work, processes):
        self.env = {key: value for key, value in os.environ.items()
                    if key not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR")}
        self.env.update(DISPLAY=start_xvfb(processes),
                        XDG_RUNTIME_DIR=os.path.join(work, "runtime"),
                        XDG_CONFIG_HOME=os.path.join(work, "config"))
        os.mkdir(self.env["XDG_RUNTIME_DIR"], 0o700)

    def xdotool(self, *args):
        done = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True,
                              timeout=15)
        return done.stdout.split() if done.returncode == 0 else []

    def find(self, name):
        # Polled: a search while another window closes can fail.
        for _ in range(40):
            if found := self.xdotool("search", "--onlyvisible", "--name", name):
                return found[0]
            time.sleep(0.5)
        raise RuntimeError("no window " + name)


def run(tavrel, work, processes):
    sheet, other = os.path.join(work, "sheet.spr"), os.path.join(work, "other.spr")
    write_sheet(sheet, blue=16)
    write_sheet(other, blue=4)
    os.chmod(other, 0o444)  # Open takes a file it may only read
    session = XSession(work, processes)
    env, xdotool, find = session.env, session.xdotool, session.find

    def check_sheet(title, blue):
        window = find("^%s - Orvo" % title)
        time.sleep(1.5)
        shot = os.path.join(work, "window.png")
        subprocess.run(["import", "-window", window, shot], env=env, check=True, timeout=30)
        need(shows_sheet(shot, blue), "%s does not show the sheet in blue %d" % (title, blue))
        return window

    # tavrel FILE, then the file rewritten from outside: the picture follows.
    processes.append(subprocess.Popen([tavrel, sheet], cwd=work, env=env))
    check_sheet("sheet.spr", 16)
    write_sheet(sheet, blue=8)
    window = check_sheet("sheet.spr", 8)

    # A key pressed while the window settles can get lost: press again
    # until the File menu's pop-up shows as one more window.
    def windows():
        return len(xdotool("search", "--onlyvisible", "--class", "tavrel"))
    for _ in range(5):
        before = windows()
        xdotool("windowfocus", "--sync", window)
        xdotool("key", "alt+f")
        time.sleep(1)
        if windows() > before:
            break
    xdotool("key", "o")
    xdotool("windowfocus", "--sync", find("^Open$"))
    xdotool("key", "ctrl+a")
    xdotool("type", "--delay", "30", other)
    xdotool("key", "Return")
    check_sheet("other.spr", 4)
    return 0


def run_under_xvfb(run):
    """Runs run(tavrel, work, processes) in a temporary folder, then ends every process it
    started; 77 when a tool is missing."""
    missing = [tool for tool in ("Xvfb", "xdotool", "import") if not shutil.which(tool)]
    if missing:
        print("skipped: %s not installed" % ", ".join(missing))
        return 77
    processes = []
    with tempfile.TemporaryDirectory() as work:
        try:
            return run(os.path.abspath(sys.argv[1]), work, processes)
        except (OSError, RuntimeError, subprocess.SubprocessError) as error:
            print("failed: %s" % error)
            return 1
        finally:
            for process in reversed(processes):  # tavrel first, then its X server
                process.kill()
                process.wait()


if __name__ == "__main__":
    sys.exit(run_under_xvfb(run))
