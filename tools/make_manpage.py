#!/usr/bin/env python3
"""Writes quillmere's manual page (roff, section 1) from the text of `quillmere --help`.

The help text is the one description of the command line, so the page is made from it at build
time rather than kept by hand. Its layout: a "Usage:" line, paragraphs of description, then
sections whose title ends in ':' ("Options:", "Examples:", "Mouse and keys:") with entries
indented two spaces, each a name and, after two or more blanks, its text (continued on lines
indented further), and closing paragraphs.

Usage: tools/make_manpage.py QUILLMERE OUTPUT.1
"""

import re
import subprocess
import sys


def escape(text):
    """roff text: backslashes and hyphens kept literal, no line taken for a request."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    if text.startswith((".", "'")):
        text = "\\&" + text
    return text


def entries(lines):
    """(name, text) pairs of a section's indented lines; unindented lines are (None, text)."""
    items = []
    for line in lines:
        if not line.strip():
            continue
        if line.startswith("   "):
            # A continuation: the entry's text goes on (or starts, after a long name).
            name, text = items[-1]
            items[-1] = (name, (text + " " + line.strip()).strip())
        elif line.startswith("  "):
            parts = re.split(r"\s{2,}", line.strip(), maxsplit=1)
            # An option with its value may leave a single blank before its text.
            tight = re.fullmatch(r"(-\S+(?: [A-Z][A-Z0-9,]*)?) (\S.*)", parts[0])
            if len(parts) == 1 and tight:
                parts = [tight.group(1), tight.group(2)]
            items.append((parts[0], parts[1] if len(parts) > 1 else ""))
        elif items and items[-1][0] is None:
            items[-1] = (None, items[-1][1] + " " + line.strip())
        else:
            items.append((None, line.strip()))
    return items


def page(helpText, versionText):
    lines = helpText.rstrip("\n").split("\n")
    usage = lines[0].split(":", 1)[1].strip()
    version = versionText.strip()
    sections = [("DESCRIPTION", [])]
    for line in lines[1:]:
        if re.fullmatch(r"[A-Z][A-Za-z ]*:", line):
            sections.append((line[:-1].upper(), []))
        else:
            sections[-1][1].append(line)
    # Paragraphs after a section's entries (unindented, after a blank line) are notes.
    last, body = sections[-1]
    for i, line in enumerate(body):
        if line and not line.startswith(" ") and i > 0 and body[i - 1] == "":
            sections[-1] = (last, body[:i])
            sections.append(("NOTES", body[i:]))
            break

    description = sections[0][1]
    summary = next(line for line in description if line.strip()).strip().rstrip(".")
    out = [
        '.TH QUILLMERE 1 "" "%s" "User Commands"' % escape(version),
        ".SH NAME",
        "quillmere \\- " + escape(summary[0].lower() + summary[1:]),
        ".SH SYNOPSIS",
        ".B quillmere",
        escape(usage.split(" ", 1)[1] if " " in usage else ""),
    ]
    for title, body in sections:
        out.append(".SH " + escape(title))
        if title in ("DESCRIPTION", "NOTES"):
            paragraph = []
            for line in body + [""]:
                if line.strip():
                    paragraph.append(line.strip())
                elif paragraph:
                    out.append(".PP")
                    out.append(escape(" ".join(paragraph)))
                    paragraph = []
            continue
        for name, text in entries(body):
            if name is None:
                out.append(".PP")
                out.append(escape(text))
            else:
                out.append(".TP")
                out.append(".B " + escape(name))
                out.append(escape(text))
    return "\n".join(out) + "\n"


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_manpage.py QUILLMERE OUTPUT.1")
    program, output = sys.argv[1:]
    # The help needs no display; the environment is the build's.
    helpText = subprocess.run([program, "--help"], check=True, capture_output=True,
                              text=True).stdout
    versionText = subprocess.run([program, "--version"], check=True, capture_output=True,
                                 text=True).stdout
    with open(output, "w", encoding="utf-8") as file:
        file.write(page(helpText, versionText))


if __name__ == "__main__":
    main()
