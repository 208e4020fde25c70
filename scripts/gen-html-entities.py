#!/usr/bin/env python3
"""Writes src/documents/html/htmlentities.txt: the named character references of HTML 5 that
stand for one character, sorted by name so the converter can search them. The build turns
the list into a C++ table (src/documents/html/htmlentities.cmake).

The list comes from Python's standard library (html.entities.html5). Only the names written
with their closing ";" are kept; the few names that stand for two characters are left out,
so such references stay as written.

Usage: scripts/gen-html-entities.py [output]   (default: src/documents/html/htmlentities.txt)
"""

import html.entities
import pathlib
import sys

HEAD = """\
# The named character references of HTML 5 that stand for one character: the name (without
# "&" and ";") and the character's code point in hexadecimal, sorted by name in byte order.
# Made by scripts/gen-html-entities.py; the build turns it into a table.
"""


def main() -> None:
    root = pathlib.Path(__file__).resolve().parent.parent
    out = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else root / "src/documents/html/htmlentities.txt"
    entries = []
    for name, text in html.entities.html5.items():
        if not name.endswith(";") or len(text) != 1:
            continue
        entries.append((name[:-1].encode("ascii"), ord(text)))
    entries.sort()
    lines = [f"{name.decode()} {code:04X}\n" for name, code in entries]
    out.write_text(HEAD + "".join(lines), encoding="ascii")


if __name__ == "__main__":
    main()
