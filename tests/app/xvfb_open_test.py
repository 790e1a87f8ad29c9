#!/usr/bin/python3
"""The real viewer under a real X server: File > Open through the keyboard.

Starts Xvfb and the program, opens a generated SPR file through the File
menu and the file chooser with keystrokes, takes a screenshot and checks
every pixel of the picture: the sheet in palette row 0, the checkerboard
where the sheet is transparent, and the frame's black outline.
Usage: xvfb_open_test.py PATH_TO_TAVREL. Exits 77 (skipped) when Xvfb,
xdotool or ImageMagick's import is missing.
"""

import os
import select
import shutil
import struct
import subprocess
import sys
import tempfile
import time

from PIL import Image

SKIPPED = 77
CAPTION = "Orvo Sprite Manager"
WIDTH, HEIGHT = 256, 288
BLACK = (0, 0, 0)
LIGHT_GREY = (192, 192, 192)
WHITE = (255, 255, 255)
SETTLE_DELAY = 1.0


def sheet_index(x, y):
    """Rows 0-191 hold stripes of all sixteen indices, the rest index 0."""
    return (x // 16 + y // 48) % 16 if y < 192 else 0


def sheet_color(index):
    return ((index & 31) * 8, (index >> 3) * 8, 128)


def write_sheet(path):
    words = b"".join(struct.pack("<H", (i & 31) | (i >> 3) << 5 | 16 << 10) for i in range(256))
    pixels = bytes(sheet_index(x, y) | sheet_index(x + 1, y) << 4
                   for y in range(HEIGHT) for x in range(0, WIDTH, 2))
    with open(path, "wb") as sheet:
        sheet.write(words + pixels)


def expected_color(x, y):
    if x in (0, WIDTH) or y in (0, HEIGHT):
        return BLACK
    index = sheet_index(x, y)
    if index:
        return sheet_color(index)
    return LIGHT_GREY if (x // 32 + y // 32) % 2 == 0 else WHITE


def start_xvfb():
    """Xvfb on a free display; it writes the number it took to a pipe."""
    reader, writer = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(writer), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
        pass_fds=(writer,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(writer)
    number = b""
    deadline = time.monotonic() + 15
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        ready, _, _ = select.select([reader], [], [], 0.5)
        if ready:
            chunk = os.read(reader, 16)
            if not chunk:
                break
            number += chunk
    os.close(reader)
    if not number.strip():
        raise RuntimeError("Xvfb did not report a display")
    return server, ":" + number.decode().strip()


class Desktop:
    def __init__(self, env):
        self.env = env

    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *args], env=self.env, capture_output=True,
                                text=True, timeout=15)
        return result.stdout.strip() if result.returncode == 0 else ""

    def wait_for_window(self, name, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.xdotool("search", "--onlyvisible", "--name", "^%s$" % name).split()
            if found:
                return found[0]
            time.sleep(0.2)
        raise RuntimeError("no window named %r appeared" % name)

    def wait_until_gone(self, name, timeout=20):
        deadline = time.monotonic() + timeout
        while self.xdotool("search", "--onlyvisible", "--name", "^%s$" % name):
            if time.monotonic() > deadline:
                raise RuntimeError("window %r stayed open" % name)
            time.sleep(0.2)

    def program_windows(self):
        return len(self.xdotool("search", "--onlyvisible", "--class", "tavrel").split())

    def open_menu(self, window, keys, attempts=3, timeout=5):
        """Presses the menu's keys until its pop-up shows as a new window."""
        for _ in range(attempts):
            before = self.program_windows()
            self.xdotool("windowfocus", "--sync", window)
            self.xdotool("key", keys)
            deadline = time.monotonic() + timeout
            while time.monotonic() < deadline:
                if self.program_windows() > before:
                    time.sleep(SETTLE_DELAY)
                    return True
                time.sleep(0.2)
        return False

    def geometry(self, window):
        values = dict(line.split("=") for line in
                      self.xdotool("getwindowgeometry", "--shell", window).splitlines())
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True, timeout=30)
        return Image.open(path).convert("RGB")


def open_through_menu(desktop, window, path):
    if not desktop.open_menu(window, "alt+f"):
        raise RuntimeError("the File menu did not open")
    desktop.xdotool("key", "o")
    chooser = desktop.wait_for_window("Open")
    desktop.xdotool("windowfocus", "--sync", chooser)
    desktop.xdotool("key", "ctrl+a")
    desktop.xdotool("type", "--delay", "30", path)
    desktop.xdotool("key", "Return")
    desktop.wait_until_gone("Open")
    time.sleep(SETTLE_DELAY)


def find_frame(shot, left, top, width, height):
    """The frame's top-left corner: a black row and column of its full length."""
    pixels = shot.load()
    for y in range(top, min(top + height - HEIGHT, shot.height - HEIGHT)):
        for x in range(left, min(left + width - WIDTH, shot.width - WIDTH)):
            if (all(pixels[x + i, y] == BLACK for i in range(WIDTH + 1)) and
                    all(pixels[x, y + j] == BLACK for j in range(HEIGHT + 1))):
                return x, y
    return None


def check_picture(shot, corner):
    pixels = shot.load()
    wrong = [(x, y, pixels[corner[0] + x, corner[1] + y], expected_color(x, y))
             for y in range(HEIGHT + 1) for x in range(WIDTH + 1)
             if pixels[corner[0] + x, corner[1] + y] != expected_color(x, y)]
    for x, y, seen, wanted in wrong[:10]:
        print("picture pixel (%d, %d) is %s, expected %s" % (x, y, seen, wanted))
    return not wrong


def run(tavrel, work):
    sheet = os.path.join(work, "sheet.spr")
    write_sheet(sheet)
    runtime = os.path.join(work, "runtime")
    os.mkdir(runtime, 0o700)
    server, display = start_xvfb()
    env = {key: value for key, value in os.environ.items()
           if key not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR")}
    env.update(DISPLAY=display, XDG_RUNTIME_DIR=runtime)
    program = None
    try:
        program = subprocess.Popen([tavrel], cwd=work, env=env)
        desktop = Desktop(env)
        window = desktop.wait_for_window(CAPTION)
        open_through_menu(desktop, window, sheet)
        if program.poll() is not None:
            print("tavrel ended with %d before the screenshot" % program.returncode)
            return 1
        shot = desktop.screenshot(os.path.join(work, "screen.png"))
        corner = find_frame(shot, *desktop.geometry(window))
        if corner is None:
            print("no picture frame found on the screen")
            return 1
        return 0 if check_picture(shot, corner) else 1
    finally:
        for process in (program, server):
            if process and process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()


def main():
    missing = [tool for tool in ("Xvfb", "xdotool", "import") if not shutil.which(tool)]
    if missing:
        print("skipped: %s not installed" % ", ".join(missing))
        return SKIPPED
    with tempfile.TemporaryDirectory() as work:
        try:
            return run(os.path.abspath(sys.argv[1]), work)
        except (RuntimeError, subprocess.SubprocessError) as error:
            print("failed: %s" % error)
            return 1


if __name__ == "__main__":
    sys.exit(main())
