#!/usr/bin/python3
"""tavrel-convert's manual page lists the same options as its --help, no more
and no fewer: the option names of --help's option lines against those of the
page's tagged paragraphs under OPTIONS.
  man_options_test.py TAVREL_CONVERT MAN_PAGE"""

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
    section = re.search(r"^\.SH OPTIONS$(.*?)^\.SH ", source, re.M | re.S)
    if not section:
        return set()
    lines = section.group(1).splitlines()
    tags = [lines[i + 1] for i, line in enumerate(lines[:-1]) if line.startswith(".TP")]
    return {name for tag in tags for name in OPTION.findall(re.sub(r"\\f.", "", tag))}


def main():
    program, page = sys.argv[1], sys.argv[2]
    in_help, in_page = help_options(program), page_options(page)
    if not in_help:
        print("no options found in %s --help" % program)
        return 1
    faults = []
    if in_help - in_page:
        faults.append("in --help but not in %s: %s" % (page, " ".join(sorted(in_help - in_page))))
    if in_page - in_help:
        faults.append("in %s but not in --help: %s" % (page, " ".join(sorted(in_page - in_help))))
    print("\n".join(faults) or "both list: " + " ".join(sorted(in_help)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
