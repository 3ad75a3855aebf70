#!/usr/bin/env python3
"""Builds the help page that Help > Help opens (Kelvane.html beside kelvane.exe) from
README.md: the same text as one HTML page. Pictures are left out (the package does not
hold them); their descriptions stay.

Usage: make-help.py README.md Kelvane.html
"""
import re
import sys

import markdown


def main(source, target):
    text = open(source, encoding="utf-8").read()
    # A picture becomes its description in italics; a link to a picture its text.
    text = re.sub(r"!\[([^\]]*)\]\([^)]*\)", r"*\1*", text)
    text = re.sub(r"\[([^\]]*)\]\((docs/[^)]*)\)", r"\1", text)
    body = markdown.markdown(text, extensions=["tables", "fenced_code"])
    page = (
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<title>Kelvane Help</title>\n<style>\n"
        "body { font-family: Tahoma, Verdana, sans-serif; max-width: 50em; margin: 1em auto;"
        " padding: 0 1em; }\n"
        "table { border-collapse: collapse; } td, th { border: 1px solid #999;"
        " padding: 0.2em 0.5em; vertical-align: top; }\n"
        "pre { background: #eee; padding: 0.5em; overflow-x: auto; }\n"
        "</style>\n</head>\n<body>\n" + body + "\n</body>\n</html>\n"
    )
    with open(target, "w", encoding="utf-8", newline="\r\n") as out:
        out.write(page)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
