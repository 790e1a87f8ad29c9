#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Installs the build into a temporary DESTDIR and checks the part named by the second
argument (see CHECKS). Exits 77 (skipped) when a tool the check needs is missing."""

import configparser
import os
import re
import shutil
import subprocess
import sys
import tempfile

from PIL import Image

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DESKTOP = "usr/share/applications/org.tavrel.Tavrel.desktop"
MIME_PACKAGE = "usr/share/mime/packages/tavrel.xml"
MAN_PAGES = ["usr/share/man/man1/tavrel.1", "usr/share/man/man1/tavrel-convert.1"]
PROGRAMS = ["usr/bin/tavrel", "usr/bin/tavrel-convert"]
COPYRIGHT = "usr/share/doc/tavrel/copyright"
# Size: the XPM icon it is drawn from.
ICONS = {16: "Icon16.xpm", 32: "Icon32.xpm", 48: "Icon16.xpm", 64: "Icon32.xpm",
         128: "Icon32.xpm", 256: "Icon32.xpm"}
MIME_TYPES = {"*.spr": "image/x-tavrel-spr", "*.sp2": "image/x-tavrel-sp2"}


def icon_path(size):
    return "usr/share/icons/hicolor/%dx%d/apps/org.tavrel.Tavrel.png" % (size, size)


def need_tools(*tools):
    missing = [tool for tool in tools if not shutil.which(tool)]
    if missing:
        print("skipped: %s not installed" % ", ".join(missing))
        sys.exit(77)


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, timeout=60, **options)


def check_tree(root):
    wanted = PROGRAMS + MAN_PAGES + [DESKTOP, MIME_PACKAGE, COPYRIGHT] + [icon_path(s) for s in ICONS]
    faults = ["missing: " + path for path in wanted if not os.path.isfile(os.path.join(root, path))]
    return faults + ["not executable: " + path for path in PROGRAMS
                     if not os.access(os.path.join(root, path), os.X_OK)]


def check_desktop(root):
    need_tools("desktop-file-validate")
    done = run(["desktop-file-validate", os.path.join(root, DESKTOP)])
    faults = [line for line in (done.stdout + done.stderr).splitlines() if line.strip()]
    parser = configparser.RawConfigParser(delimiters=("=",))
    parser.read(os.path.join(root, DESKTOP), encoding="utf-8")
    entry = parser["Desktop Entry"]
    package = open(os.path.join(root, MIME_PACKAGE)).read()
    declared = re.findall(r'<mime-type type="([^"]+)"', package)
    for where, types in (("MimeType=", entry["MimeType"].split(";")), ("tavrel.xml", declared)):
        if set(filter(None, types)) != set(MIME_TYPES.values()):
            faults.append("%s lists %s" % (where, sorted(types)))
    if "usr/bin/" + entry["Exec"].split()[0] not in PROGRAMS:
        faults.append("Exec=%s starts no installed program" % entry["Exec"])
    if not icon_path(16).endswith("/%s.png" % entry["Icon"]):
        faults.append("Icon=%s names no installed icon" % entry["Icon"])
    return faults


def check_mime(root):
    need_tools("update-mime-database")
    with tempfile.TemporaryDirectory() as work:
        mime = os.path.join(work, "mime")
        shutil.copytree(os.path.join(root, "usr/share/mime"), mime)
        done = run(["update-mime-database", "-V", mime])
        if done.returncode != 0 or "rror" in done.stderr or "arning" in done.stderr:
            return ["update-mime-database: " + done.stderr.strip()]
        found = {}
        for line in open(os.path.join(mime, "globs2")):
            if not line.startswith("#"):
                weight, kind, glob, *flags = line.strip().split(":")
                found.setdefault(glob, set()).add((kind, *flags))
        # A flag "cs" would make the pattern case-sensitive: HERO.SPR must
        # open as well as hero.spr.
        return ["%s maps to %s, expected only %s" % (glob, sorted(found.get(glob, ())), kind)
                for glob, kind in MIME_TYPES.items() if found.get(glob) != {(kind,)}]


def check_icons(root):
    faults = []
    for size, xpm in ICONS.items():
        # Each icon is its XPM scaled up by whole pixels, never smoothed.
        source = Image.open(os.path.join(SOURCE, "res", xpm)).convert("RGBA")
        icon = Image.open(os.path.join(root, icon_path(size))).convert("RGBA")
        if icon.tobytes() != source.resize((size, size), Image.NEAREST).tobytes():
            faults.append("the %d pixel icon is not %s scaled up by whole pixels" % (size, xpm))
    return faults


def check_man(root):
    need_tools("man", "groff")
    faults = []
    for page in MAN_PAGES:
        path = os.path.join(root, page)
        for command, env in ((["man", "-l", path], {"MANWIDTH": "80", "MAN_KEEP_STDERR": "1"}),
                             (["groff", "-man", "-ww", "-z", path], {})):
            done = run(command, env=dict(os.environ, LC_ALL="C.UTF-8", **env))
            if done.returncode != 0 or done.stderr.strip():
                faults.append("%s: %s" % (" ".join(command), done.stderr.strip() or "failed"))
    return faults


CHECKS = {"tree": check_tree, "desktop": check_desktop, "mime": check_mime,
          "icons": check_icons, "man": check_man}


def main():
    build, check = sys.argv[1], CHECKS[sys.argv[2]]
    with tempfile.TemporaryDirectory() as root:
        done = run(["cmake", "--install", build, "--prefix", "/usr"],
                   env=dict(os.environ, DESTDIR=root))
        if done.returncode != 0:
            print("cmake --install failed:\n" + done.stdout + done.stderr)
            return 1
        faults = check(root)
    print("\n".join(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
