#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Start-up time of the viewer under Xvfb, against an empty Qt window.

Each run starts a fresh process and times it from just before the start to
the moment its first window is mapped, as told by the X server's MapNotify
event. The programs take turns, so all see the same load on the
machine, and the medians of many runs are compared:

  tavrel          to its main window mapped
  empty Qt window to its window mapped (bench/empty_qt_window.cpp)
  Qt window with a menu bar
                  the empty window with a one-item menu bar: what any
                  window with text pays before it is mapped (it reads the
                  system's font configuration; the empty window never does)
  tavrel FILE     to the sheet painted: a generated SPR sheet whose every
                  pixel is one colour, found by reading one screen pixel

The last is skipped when tavrel does not open a FILE named on its command
line. Targets: tavrel to a mapped window in 60 ms or less, tavrel FILE to
the painted sheet in 80 ms or less.

  bench/startup_bench.py [--build build] [--runs 40]
"""

import argparse
import ctypes
import os
import select
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
Z_PIXMAP = 2
ALL_PLANES = 0xFFFFFFFF
# Palette entry 1 as 15-bit BGR (red 31, green 0, blue 31) and as the 24-bit
# pixel Xvfb holds for it.
SHEET_WORD = 31 | 31 << 10
SHEET_PIXEL = 0xF800F8
SHEET_BYTES = 512 + 256 * 288 // 2


class MapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong),
                ("window", ctypes.c_ulong), ("override_redirect", ctypes.c_int)]


class Image(ctypes.Structure):
    """The leading fields of XImage."""
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


class Screen:
    """A connection to the X server that sees top-level windows being mapped
    and reads their pixels."""

    def __init__(self, display):
        x = self.x = ctypes.CDLL("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x.XGetImage.restype = ctypes.POINTER(Image)
        x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x.XGetPixel.restype = ctypes.c_ulong
        x.XGetPixel.argtypes = [ctypes.POINTER(Image), ctypes.c_int, ctypes.c_int]
        x.XDestroyImage.argtypes = [ctypes.POINTER(Image)]
        x.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + \
            [ctypes.c_void_p] * 7
        # A window that goes away between two requests must not end the bench.
        self.on_error = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(
            lambda display, error: 0)
        x.XSetErrorHandler(self.on_error)
        self.display = x.XOpenDisplay(display.encode())
        if not self.display:
            raise RuntimeError("cannot connect to " + display)
        x.XSelectInput(self.display, x.XDefaultRootWindow(self.display), SUBSTRUCTURE_NOTIFY_MASK)
        self.fd = x.XConnectionNumber(self.display)
        self.event = ctypes.create_string_buffer(192)

    def drain(self):
        while self.x.XPending(self.display):
            self.x.XNextEvent(self.display, self.event)

    def next_mapped(self, timeout):
        """The first top-level window mapped within timeout seconds and the
        time it was seen, or (None, None)."""
        deadline = time.perf_counter() + timeout
        while True:
            while self.x.XPending(self.display):
                self.x.XNextEvent(self.display, self.event)
                event = MapEvent.from_buffer(self.event)
                if event.type == MAP_NOTIFY and not event.override_redirect:
                    return event.window, time.perf_counter()
            left = deadline - time.perf_counter()
            if left <= 0:
                return None, None
            select.select([self.fd], [], [], left)

    def size(self, window):
        values = [ctypes.c_uint() for _ in range(7)]
        self.x.XGetGeometry(self.display, window, *[ctypes.byref(v) for v in values])
        return values[3].value, values[4].value

    def pixels(self, window, left, top, width, height):
        """The area's pixels as 24-bit numbers, row by row; None if it cannot
        be read."""
        image = self.x.XGetImage(self.display, window, left, top, width, height, ALL_PLANES,
                                 Z_PIXMAP)
        if not image:
            return None
        try:
            return [self.x.XGetPixel(image, x, y) & 0xFFFFFF
                    for y in range(height) for x in range(width)]
        finally:
            self.x.XDestroyImage(image)


def start_xvfb(processes):
    reader, writer = os.pipe()
    processes.append(subprocess.Popen(
        ["Xvfb", "-displayfd", str(writer), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
        pass_fds=(writer,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    os.close(writer)
    with os.fdopen(reader, "rb") as pipe:
        number = pipe.readline().strip()
    if not number:
        raise RuntimeError("Xvfb did not report a display")
    return ":" + number.decode()


def write_sheet(path):
    """An SPR sheet whose every pixel is palette entry 1."""
    with open(path, "wb") as out:
        out.write(struct.pack("<H", 0) + struct.pack("<H", SHEET_WORD) * 255)
        out.write(b"\x11" * (SHEET_BYTES - 512))


def stop(process):
    process.terminate()
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


class Bench:
    def __init__(self, screen, env):
        self.screen, self.env = screen, env
        self.sheet_at = None  # a pixel of the painted sheet, in window coordinates

    def time_to_map(self, command):
        """Milliseconds from start to the first window mapped, and the window."""
        self.screen.drain()
        start = time.perf_counter()
        process = subprocess.Popen(command, env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        window, mapped = self.screen.next_mapped(timeout=10)
        if window is None:
            stop(process)
            raise RuntimeError("%s mapped no window" % command[0])
        return process, window, (mapped - start) * 1000, start

    def time_to_map_only(self, command):
        process, _, taken, _ = self.time_to_map(command)
        stop(process)
        return taken

    def find_sheet(self, command):
        """Where in the window the sheet shows, or None when it never does."""
        process, window, _, _ = self.time_to_map(command)
        try:
            deadline = time.perf_counter() + 3
            while time.perf_counter() < deadline:
                width, height = self.screen.size(window)
                pixels = self.screen.pixels(window, 0, 0, width, height) or []
                if SHEET_PIXEL in pixels:
                    at = pixels.index(SHEET_PIXEL)
                    # A few pixels inside the sheet's corner, clear of its frame.
                    return at % width + 8, at // width + 8
                time.sleep(0.1)
            return None
        finally:
            stop(process)

    def time_to_sheet(self, command):
        process, window, _, start = self.time_to_map(command)
        try:
            deadline = time.perf_counter() + 10
            while time.perf_counter() < deadline:
                if self.screen.pixels(window, *self.sheet_at, 1, 1) == [SHEET_PIXEL]:
                    return (time.perf_counter() - start) * 1000
                time.sleep(0.0005)
            raise RuntimeError("the sheet was not painted")
        finally:
            stop(process)


def summary(name, times):
    ordered = sorted(times)
    return "%-28s median %6.1f ms   min %6.1f   p90 %6.1f   (%d runs)" % (
        name, statistics.median(ordered), ordered[0], ordered[int(len(ordered) * 0.9)],
        len(ordered))


def run(arguments, work, processes):
    env = {key: value for key, value in os.environ.items()
           if key not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR")}
    env.update(DISPLAY=start_xvfb(processes), XDG_RUNTIME_DIR=os.path.join(work, "runtime"),
               XDG_CONFIG_HOME=os.path.join(work, "config"))
    os.mkdir(env["XDG_RUNTIME_DIR"], 0o700)
    time.sleep(0.5)
    bench = Bench(Screen(env["DISPLAY"]), env)
    tavrel = [os.path.join(arguments.build, "app", "tavrel")]
    empty = [os.path.join(arguments.build, "bench", "empty_qt_window")]
    sheet = os.path.join(work, "sheet.spr")
    write_sheet(sheet)

    measures = {"tavrel": (tavrel, bench.time_to_map_only),
                "empty Qt window": (empty, bench.time_to_map_only),
                "Qt window with a menu bar": (empty + ["--menu"], bench.time_to_map_only)}
    bench.sheet_at = bench.find_sheet(tavrel + [sheet])
    if bench.sheet_at:
        measures["tavrel FILE (sheet painted)"] = (tavrel + [sheet], bench.time_to_sheet)
    else:
        print("skipped tavrel FILE: tavrel does not show a sheet named on its command line")

    times = {name: [] for name in measures}
    for turn in range(arguments.warmup + arguments.runs):
        for name, (command, measure) in measures.items():
            taken = measure(command)
            if turn >= arguments.warmup:
                times[name].append(taken)
    for name, taken in times.items():
        print(summary(name, taken))
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(os.path.dirname(__file__), "..", "build"))
    parser.add_argument("--runs", type=int, default=40)
    parser.add_argument("--warmup", type=int, default=3)
    arguments = parser.parse_args()
    if not shutil.which("Xvfb"):
        print("Xvfb is not installed")
        return 1
    processes = []
    with tempfile.TemporaryDirectory() as work:
        try:
            return run(arguments, work, processes)
        finally:
            for process in processes:
                stop(process)


if __name__ == "__main__":
    sys.exit(main())
