#!/usr/bin/env python3
"""Checks that includes between the program's folders run one way only, and prints the
include graph between folders.

Layers, lowest first:
  platform/                      the system behind interfaces
  core folders (in this order)   results, scan, options, restorepoint, backup, restore, startup,
                                 unattended (the runs of the command line)
  ui/                            the shared window base and control wrappers
  feature windows                *_window.*, *_dialog.*, win_* files in the core folders
  app/                           program entry and main window

A file may include its own folder's headers and headers of lower layers. Among the core
folders a folder includes only those before it. A window never includes the window of
another folder: windows meet in app/.
"""
import os
import re
import sys
from collections import Counter

CORE = ["results", "scan", "options", "restorepoint", "backup", "restore", "startup",
        "unattended"]
FOLDERS = ["platform"] + CORE + ["ui", "app"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def is_window_name(path):
    name = os.path.basename(path)
    return re.search(r"(_window|_dialog)\.(h|cpp)$", name) is not None or name.startswith("win_")


def folder_of(path):
    return path.split("/", 1)[0]


def layer(path):
    """(rank, folder, window) of a program file; rank orders the layers."""
    top = folder_of(path)
    if top == "platform":
        return (0, top, False)
    if top == "ui":
        return (20, top, True)
    if top == "app":
        return (40, top, True)
    if top in CORE:
        if is_window_name(path):
            return (30, top, True)
        return (1 + CORE.index(top), top, False)
    return None


def allowed(src, dst):
    s, d = layer(src), layer(dst)
    if d is None:
        return True
    s_rank, s_dir, s_win = s
    d_rank, d_dir, d_win = d
    if s_dir == d_dir:
        # Within a folder core code never reaches the window files beside it.
        return s_win or not d_win
    if s_dir == "app":
        return True
    if d_dir == "app":
        return False
    if d_win and d_dir != "ui":
        return False  # another feature's window: windows meet in app/
    if s_win:
        return True  # a window uses ui/, core and platform
    return d_rank < s_rank


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    os.chdir(root)
    edges = Counter()
    faults = []
    for top in FOLDERS:
        for base, _, files in os.walk(top):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(base, name).replace(os.sep, "/")
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m or "/" not in m.group(1):
                            continue
                        target = m.group(1)
                        if folder_of(target) not in FOLDERS:
                            continue
                        if folder_of(target) != top:
                            edges[(top, folder_of(target))] += 1
                        if not allowed(path, target):
                            faults.append(f"{path}:{number}: includes {target}")
    print("include graph between folders (includes):")
    for top in FOLDERS:
        row = [f"{d} ({edges[(top, d)]})" for d in FOLDERS if edges[(top, d)]]
        if row or os.path.isdir(top):
            print(f"  {top:<13}-> " + (", ".join(row) if row else "-"))
    if faults:
        print(f"{len(faults)} include(s) against the layering:")
        for fault in faults:
            print("  " + fault)
        return 1
    print("layering: every include runs downward")
    return 0


if __name__ == "__main__":
    sys.exit(main())
