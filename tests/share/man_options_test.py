#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""man_options_test.py TAVREL_CONVERT MAN_PAGE: the page's tagged paragraphs under OPTIONS
name the same options as the option lines of --help, no more and no fewer, and those under
EXIT STATUS the same statuses as --help's closing paragraph, standard output's among them."""

import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])(--?[A-Za-z][\w-]*)")


def help_text(program):
    return subprocess.run([program, "--help"], capture_output=True, text=True, check=True,
                          timeout=30).stdout


def help_options(text):
    # An option line is "  -o, --output=OUTPUT      what it does": the
    # names end where two spaces part them from their description.
    return {name for line in text.splitlines() if re.match(r"\s+-", line)
            for name in OPTION.findall(line.strip().split("  ")[0])}


def page_section(page, title):
    source = open(page, encoding="utf-8").read().replace("\\-", "-")
    return re.search(r"^\.SH %s$(.*?)^\.SH " % title, source, re.M | re.S).group(1)


def section_tags(section):
    lines = section.splitlines()
    return [re.sub(r"\\f.", "", lines[i + 1]) for i, line in enumerate(lines[:-1])
            if line.startswith(".TP")]


def page_options(page):
    return {name for tag in section_tags(page_section(page, "OPTIONS"))
            for name in OPTION.findall(tag)}


def help_statuses(text):
    closing = text[text.index("Exit status:"):]
    return set(re.findall(r"\b\d+\b", closing))


def page_statuses(page):
    section = page_section(page, "EXIT STATUS")
    return {number for tag in section_tags(section) for number in re.findall(r"\b\d+\b", tag)}


def main():
    page = sys.argv[2]
    text = help_text(sys.argv[1])
    in_help, in_page = help_options(text), page_options(page)
    if not in_help:
        print("no options found in %s --help" % sys.argv[1])
        return 1
    print("only in --help: %s\nonly in %s: %s" % (sorted(in_help - in_page), page,
                                                 sorted(in_page - in_help)))
    statuses_help, statuses_page = help_statuses(text), page_statuses(page)
    print("exit statuses in --help: %s, in %s: %s" % (sorted(statuses_help, key=int), page,
                                                     sorted(statuses_page, key=int)))
    output_named = "-o -" in page_section(page, "EXIT STATUS")
    print("EXIT STATUS names standard output (-o -): %s" % output_named)
    return 0 if in_help == in_page and statuses_help == statuses_page and output_named else 1


if __name__ == "__main__":
    sys.exit(main())
