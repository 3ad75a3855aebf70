#!/usr/bin/env bash
# Takes a screenshot of kelvane.exe's main window under Xvfb after a scan of the demo
# prefix: docs/screenshots/main-window.png. Needs imagemagick, x11-utils and xdotool.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots/main-window.png}
cmake --build build/win64 --target kelvane >/dev/null
# shellcheck source=wine-env.sh
source scripts/wine-env.sh
root=$(pwd)/build/win64/wine
ensure_pristine "$root"
wine_home "$root"
WINEPREFIX=$(fresh_prefix "$root")
export WINEPREFIX
trap '"$WINESERVER" -k >/dev/null 2>&1; rm -rf "$WINEPREFIX"' EXIT
mkdir -p "$WINEPREFIX/drive_c/Kelvane"
cp build/win64/kelvane.exe "$WINEPREFIX/drive_c/Kelvane/"
cp scripts/demo.reg "$WINEPREFIX/drive_c/Kelvane/"
Xvfb :77 -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap '"$WINESERVER" -k >/dev/null 2>&1; kill $xvfb; rm -rf "$WINEPREFIX"' EXIT
export DISPLAY=:77
sleep 1
"$WINE64" 'C:\windows\regedit.exe' /s 'C:\Kelvane\demo.reg'
"$WINE64" 'C:\Kelvane\kelvane.exe' &
for _ in $(seq 1 60); do
  id=$(xwininfo -root -tree 2>/dev/null | grep '"Varnok Kelvane 1.25"' | awk '{print $1}' | head -1 || true)
  [ -n "$id" ] && break
  sleep 0.5
done
[ -n "$id" ] || { echo "main window not found" >&2; exit 1; }
sleep 1
# Scan with the first task button, then give the list a moment to fill.
xdotool mousemove --window "$id" 40 115 click 1 || true
sleep "${SCAN_WAIT:-20}"
import -window "$id" "$out"
echo "wrote $out"
