#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""man_options_test.py PROGRAM MAN_PAGE: the page's tagged paragraphs under OPTIONS name the
same options as the option lines of the program's --help, no more and no fewer."""

import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])(--?[A-Za-z][\w-]*)")


def help_options(program):
    text = subprocess.run([program, "--help"], capture_output=True, text=True, check=True,
                          timeout=30).stdout
    # An option line is "  -o, --output=OUTPUT      what it does": the
    # names end where two spaces part them from their description.
    return {name for line in text.splitlines() if re.match(r"\s+-", line)
            for name in OPTION.findall(line.strip().split("  ")[0])}


def page_options(page):
    source = open(page, encoding="utf-8").read().replace("\\-", "-")
    lines = re.search(r"^\.SH OPTIONS$(.*?)^\.SH ", source, re.M | re.S).group(1).splitlines()
    tags = [lines[i + 1] for i, line in enumerate(lines[:-1]) if line.startswith(".TP")]
    return {name for tag in tags for name in OPTION.findall(re.sub(r"\\f.", "", tag))}


def main():
    page = sys.argv[2]
    in_help, in_page = help_options(sys.argv[1]), page_options(page)
    if not in_help:
        print("no options found in %s --help" % sys.argv[1])
        return 1
    print("only in --help: %s\nonly in %s: %s" % (sorted(in_help - in_page), page,
                                                 sorted(in_page - in_help)))
    return 0 if in_help == in_page else 1


if __name__ == "__main__":
    sys.exit(main())
