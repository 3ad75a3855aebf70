#!/usr/bin/python3
"""Reads the -scan reports an end-to-end case left in FOLDER with Python's csv module,
as a management tool would, and checks the awkward startup entry that case seeded.
Usage: check_report.py FOLDER"""
import csv
import pathlib
import sys

RUN = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\"
# The entry of command_line_e2e.cpp (kAwkwardName, kAwkwardCommand).
KEY = RUN + 'Kv,"Gone" \u00e9'
VALUE = '"C:\\KvGone\\kv,gone.exe" /say "hi, there"\r\nnext'
HEADER = ["Ticked", "Problem", "Registry key", "Value", "Reason"]


def check(path):
    data = path.read_bytes()
    if not data.startswith(b"\xef\xbb\xbf"):
        return "no UTF-8 byte order mark"
    if not data.endswith(b"\r\n") or not data.split(b"\n", 1)[0].endswith(b"\r"):
        return "lines do not end in CRLF"
    with path.open(newline="", encoding="utf-8-sig") as f:
        rows = list(csv.reader(f, strict=True))
    if rows[0] != HEADER:
        return f"header {rows[0]!r}"
    for row in rows[1:]:
        if len(row) != len(HEADER) or row[0] not in ("0", "1"):
            return f"row {row!r}"
    matches = [row for row in rows[1:] if row[2] == KEY]
    if len(matches) != 1:
        return f"{len(matches)} rows of {KEY!r} in {rows!r}"
    if matches[0][3] != VALUE or matches[0][0] != "1":
        return f"row {matches[0]!r}"
    return None


def main():
    reports = sorted(pathlib.Path(sys.argv[1]).glob("*.csv"))
    if not reports:
        print("check_report.py: no report found", file=sys.stderr)
        return 1
    failed = 0
    for path in reports:
        problem = check(path)
        print(f"check_report.py: {path.name}: {problem or 'read back as written'}")
        failed += problem is not None
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
