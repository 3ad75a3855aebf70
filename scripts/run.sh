#!/usr/bin/env bash
# Builds kelvane.exe and runs it under Wine in a demo prefix inside the build folder,
# seeded with stale registry entries. With a display the main window opens; without
# one the unattended clean (-cleanonce) runs under Xvfb and its result is printed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build build/win64 -j"$(nproc)" --target kelvane
# shellcheck source=wine-env.sh
source scripts/wine-env.sh
root=$(pwd)/build/win64/wine
ensure_pristine "$root"
wine_home "$root"
demo=$root/demo
"$WINESERVER" -k >/dev/null 2>&1 || true
rm -rf "$demo"
fresh=$(fresh_prefix "$root")
mv "$fresh" "$demo"
export WINEPREFIX=$demo
mkdir -p "$demo/drive_c/Kelvane"
cp build/win64/kelvane.exe "$demo/drive_c/Kelvane/kelvane.exe"
cp scripts/demo.reg "$demo/drive_c/Kelvane/demo.reg"
"$WINE64" 'C:\windows\regedit.exe' /s 'C:\Kelvane\demo.reg'
"$WINESERVER" -w

if [ -n "${DISPLAY:-}" ] && [ -z "${KELVANE_HEADLESS:-}" ]; then
  echo "Kelvane is starting in the demo prefix $demo"
  "$WINE64" 'C:\Kelvane\kelvane.exe'
  exit 0
fi

echo "No display: running 'kelvane.exe -cleanonce' under Xvfb in $demo"
# Unattended: the backup folder exists and the repair hint is off, so nothing waits
# for a click.
mkdir -p "$demo/drive_c/Kelvane/Backup"
printf '[Options]\r\nShowHint=0\r\n' >"$demo/drive_c/Kelvane/options.ini"
xvfb-run -a -s "-screen 0 1280x1024x24" "$WINE64" 'C:\Kelvane\kelvane.exe' -cleanonce
"$WINESERVER" -w
backup=$(ls -t "$demo/drive_c/Kelvane/Backup/"Backup*.reg 2>/dev/null | head -1 || true)
if [ -z "$backup" ]; then
  echo "Nothing was removed: no backup file was written."
  exit 0
fi
echo
echo "Removed (each entry is in the backup first):"
tr -d '\r' <"$backup" | grep -E '^\[|^"|^@' | sed 's/^/  /'
echo
echo "Backup: C:\\Kelvane\\Backup\\$(basename "$backup")"
echo "        ($backup)"
echo "Put it back with: WINEPREFIX=$demo $WINE64 regedit /s 'C:\\Kelvane\\Backup\\$(basename "$backup")'"
