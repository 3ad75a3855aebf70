#!/usr/bin/env bash
# Times kelvane.exe -cleanonce against regedit /e and against a bare registry walk in a
# fresh copy of the pristine prefix (bench/scan_speed.cpp says what is measured).
# Needs the win64 build configured with -DKELVANE_BENCH=ON.
# Usage: scripts/bench-scan.sh [KELVANE_EXE] [keys] [rounds] [OTHER_KELVANE_EXE] [missing keys]
#   (defaults: the build's kelvane.exe, 30000, 3, none, 20000); OTHER_KELVANE_EXE, another
#   version, runs in the same rounds of the every-category run and of the tree where every
#   key names a missing file; 0 keys leaves the 30000-key tree out.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
# shellcheck source=wine-env.sh
source "$here/wine-env.sh"
build=$here/../build/win64
exe=${1:-$build/kelvane.exe}
# The benchmark programs come from the build that made the program.
bench=$(dirname "$exe")/bench
keys=${2:-30000}
root=${KELVANE_WINE_ROOT:-$(dirname "$exe")/wine}
mkdir -p "$root"
root=$(cd "$root" && pwd)
ensure_pristine "$root"
wine_home "$root"
WINEPREFIX=$(fresh_prefix "$root")
export WINEPREFIX
trap '"$WINESERVER" -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
folder=$WINEPREFIX/drive_c/Kelvane
mkdir -p "$folder"
cp "$exe" "$folder/kelvane.exe"
cp "$bench/bare_walk.exe" "$bench/scan_speed.exe" "$folder/"
# The wine server stays up between the runs, as it does while a session lasts.
"$WINESERVER" -p
other=()
if [ -n "${4:-}" ]; then
  mkdir -p "$WINEPREFIX/drive_c/KelvaneOther/Backup"
  cp "$4" "$WINEPREFIX/drive_c/KelvaneOther/kelvane.exe"
  other=('C:\KelvaneOther')
fi
missing=()
if [ -n "${5:-}" ]; then
  [ ${#other[@]} -gt 0 ] || other=('')
  missing=("$5")
fi
"$WINE64" 'C:\Kelvane\scan_speed.exe' 'C:\Kelvane' "$keys" "${3:-3}" "${other[@]}" "${missing[@]}"
