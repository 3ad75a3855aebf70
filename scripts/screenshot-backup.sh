#!/usr/bin/env bash
# Takes screenshots of the restore window (after an unattended clean of the demo prefix
# has written a backup) and of the backup hint window during a full export:
# docs/screenshots/restore-window.png and docs/screenshots/backup-hint-window.png.
# Needs imagemagick, x11-utils and xdotool.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots}
cmake --build build/win64 --target kelvane >/dev/null
# shellcheck source=wine-env.sh
source scripts/wine-env.sh
# The program's version, as project() in CMakeLists.txt gives it.
version=$(sed -n 's/^project(Kelvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
export TZ=UTC LANG=C.UTF-8 LC_ALL=C.UTF-8
root=$(pwd)/build/win64/wine
ensure_pristine "$root"
wine_home "$root"
WINEPREFIX=$(fresh_prefix "$root")
export WINEPREFIX
Xvfb :78 -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap '"$WINESERVER" -k >/dev/null 2>&1; kill $xvfb; rm -rf "$WINEPREFIX"' EXIT
export DISPLAY=:78
mkdir -p "$WINEPREFIX/drive_c/Kelvane/Backup"
cp build/win64/kelvane.exe scripts/demo.reg "$WINEPREFIX/drive_c/Kelvane/"
printf '[Options]\r\nShowHint=0\r\n' >"$WINEPREFIX/drive_c/Kelvane/options.ini"
sleep 1
"$WINE64" 'C:\windows\regedit.exe' /s 'C:\Kelvane\demo.reg'
# Two repairs a few seconds apart give two backup files.
"$WINE64" 'C:\Kelvane\kelvane.exe' -cleanonce
sleep 2
"$WINE64" 'C:\windows\regedit.exe' /s 'C:\Kelvane\demo.reg'
"$WINE64" 'C:\Kelvane\kelvane.exe' -cleanonce

"$WINE64" 'C:\Kelvane\kelvane.exe' &
main=$(find_window "Varnok Kelvane $version")
[ -n "$main" ] || { echo "main window not found" >&2; exit 1; }
sleep 1
# The third task button, "Restore previous registry ".
xdotool mousemove --window "$main" 40 170 click 1 || true
restore=$(find_window "Restore previous registry - Varnok Kelvane")
[ -n "$restore" ] || { echo "restore window not found" >&2; exit 1; }
sleep 1
# Select the newest backup.
xdotool mousemove --window "$restore" 60 90 click 1 || true
sleep 1
import -window "$restore" "$out/restore-window.png"
echo "wrote $out/restore-window.png"
xdotool key --window "$restore" Escape || true
sleep 1

# A large key keeps the export going long enough to be seen.
python3 -c '
blob = "hex:" + ",".join(["5a"] * 2000)
print("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\KvLarge]\r")
for i in range(1500):
    print("\"v%d\"=%s\r" % (i, blob))
' >"$WINEPREFIX/drive_c/Kelvane/large.reg"
"$WINE64" 'C:\windows\regedit.exe' /s 'C:\Kelvane\large.reg'
# File, "&Backup Full Registry...", a name, Enter: the hint window shows while the
# editor exports.
# "File" on the menu bar, then its first item.
xdotool mousemove --window "$main" 15 9 click 1 || true
sleep 1
xdotool mousemove --window "$main" 60 30 click 1 || true
# Keys go to the window under the pointer.
save=$(find_window "Save full registry")
[ -n "$save" ] || { echo "save dialog not found" >&2; exit 1; }
xdotool mousemove --window "$save" 200 10
sleep 1
xdotool type --delay 20 'C:\Kelvane\full.reg'
xdotool key Return
hint=""
for _ in $(seq 1 100); do
  hint=$(xwininfo -root -tree 2>/dev/null | grep '"Varnok Kelvane"' | awk '{print $1}' | head -1 || true)
  [ -n "$hint" ] && break
  sleep 0.1
done
[ -n "$hint" ] || { echo "hint window not found" >&2; exit 1; }
sleep 1.5
import -window "$hint" "$out/backup-hint-window.png"
echo "wrote $out/backup-hint-window.png"
