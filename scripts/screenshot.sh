#!/usr/bin/env bash
# Takes the README's screenshots under Xvfb with the end-to-end driver: the main
# window after a scan of the demo entries (scripts/demo.reg), also wide with each row's
# reason, the progress window, the
# repair hint, the About window and the report of a repair that kept an entry, the
# first-start window, a stopped scan, a refused restore point, the options' offer to
# create the backup folder, the usage and Windows Backup's message at 96 DPI,
# and the main window at 192 DPI, all as
# PNG files in docs/screenshots/ (or the folder given). Needs python3 for the PNG files.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(mkdir -p "${1:-docs/screenshots}" && cd "${1:-docs/screenshots}" && pwd)
cmake --build build/win64 --target kelvane kelvane_e2e >/dev/null
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
export KELVANE_SHOT_DIR=$shots KELVANE_DEMO_REG=$(pwd)/scripts/demo.reg
# Xvfb has no window manager: Wine draws the window frames and captions itself.
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n' \
  >"$shots/frames.reg"
export KELVANE_PREFIX_REG=$shots/frames.reg
run() {
  scripts/e2e-run.sh build/win64/kelvane.exe build/win64/tests/kelvane_e2e.exe \
    --gtest_also_run_disabled_tests --gtest_filter='DISABLED_Screenshots.*' --gtest_color=no
}
KELVANE_SHOTS=main-window,progress,repair-hint,about,main-window-reasons,main-window-narrow KELVANE_SHOT_SUFFIX= run
KELVANE_DPI=192 KELVANE_SHOTS=main-window KELVANE_SHOT_SUFFIX=-192dpi run
# The main window listing entries named in Greek, Cyrillic, Japanese and with an emoji:
# the demo and those entries as one Version 5.00 file (UTF-16LE with its byte order
# mark, as the registry editor writes it).
python3 - scripts/demo.reg "$shots/demo-unicode.reg" <<'PY'
import sys
demo = open(sys.argv[1], encoding="ascii").read().replace("\r\n", "\n")
body = demo.split("\n", 1)[1]
extra = """
[HKEY_CURRENT_USER\\Software\\Kelvane Demo\\Ελληνικά]
"Έγγραφο"="C:\\\\Users\\\\Public\\\\Documents\\\\Αναφορά 2026.txt"

[HKEY_CURRENT_USER\\Software\\Kelvane Demo\\Русский]
"Отчёт"="C:\\\\Program Files\\\\Программа\\\\отчёт.exe"

[HKEY_CURRENT_USER\\Software\\Kelvane Demo\\日本語]
"最近のファイル"="C:\\\\Users\\\\Public\\\\Documents\\\\報告書.txt"

[HKEY_CURRENT_USER\\Software\\Kelvane Demo\\Party \U0001F389]
"Invitation \U0001F389"="C:\\\\Users\\\\Public\\\\Documents\\\\\U0001F389 party.txt"
"""
text = "Windows Registry Editor Version 5.00\n" + body + extra
open(sys.argv[2], "wb").write(b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le"))
PY
KELVANE_DEMO_REG=$shots/demo-unicode.reg KELVANE_SHOTS=main-window-reasons \
  KELVANE_SHOT_SUFFIX=-unicode run
rm -f "$shots/demo-unicode.reg"
# The message of a repair that kept an entry it could not back up exactly, and the
# main window driven by the keyboard with the focus on the category tree.
KELVANE_SHOT_SUFFIX= scripts/e2e-run.sh build/win64/kelvane.exe build/win64/tests/kelvane_e2e.exe \
  --gtest_filter='Repair.KeepsWhatChangedSinceTheScanAndSaysWhatItKept:Keyboard.*' --gtest_color=no
# The first-start window, a scan stopped with Stop, a refused restore point, OK in the
# options without the backup folder, the usage of /? and Windows Backup without a tool.
KELVANE_SHOT_SUFFIX= scripts/e2e-run.sh build/win64/kelvane.exe build/win64/tests/kelvane_e2e.exe \
  --gtest_filter='MainWindow.ShowsItsClassAndCaption:MainWindow.StopEndsTheScanAtOnce:CleanOnce.ARefusedRestorePointIsToldAndTheAnswerDecides:Options.AMissingFolderIsRefusedAndCancelStoresNothing:CommandLine.EverySwitchEndsWithItsExitCode:WindowsBackup.*' \
  --gtest_color=no
# The driver writes bitmaps; they become PNG files here.
rm -f "$shots/frames.reg"
for bmp in "$shots"/*.bmp; do
  python3 - "$bmp" "$out/$(basename "${bmp%.bmp}").png" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
offset, = struct.unpack_from("<I", data, 10)
width, height, _, bpp = struct.unpack_from("<iiHH", data, 18)
assert bpp == 24, "24-bit bitmaps only"
stride = (width * 3 + 3) // 4 * 4
rows = []
for y in range(abs(height)):
    source = y if height < 0 else abs(height) - 1 - y
    line = data[offset + source * stride: offset + source * stride + width * 3]
    rgb = bytearray(line)
    rgb[0::3], rgb[2::3] = line[2::3], line[0::3]
    rows.append(b"\0" + bytes(rgb))
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
open(sys.argv[2], "wb").write(png)
PY
  echo "wrote $out/$(basename "${bmp%.bmp}").png"
done
