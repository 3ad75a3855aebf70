#!/usr/bin/env bash
# Takes screenshots of the options dialog (both pages) and of the startup manager under
# Xvfb, in a demo prefix with a few startup entries and ignore-list entries:
# docs/screenshots/options-general.png, options-ignore-lists.png, startup-manager.png.
# Needs imagemagick, x11-utils and xdotool.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots}
cmake --build build/win64 --target kelvane >/dev/null
# shellcheck source=wine-env.sh
source scripts/wine-env.sh
# The program's version, as project() in CMakeLists.txt gives it.
version=$(sed -n 's/^project(Kelvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
root=$(pwd)/build/win64/wine
ensure_pristine "$root"
wine_home "$root"
WINEPREFIX=$(fresh_prefix "$root")
export WINEPREFIX
trap '"$WINESERVER" -k >/dev/null 2>&1; rm -rf "$WINEPREFIX"' EXIT
app="$WINEPREFIX/drive_c/Kelvane"
mkdir -p "$app/Backup"
cp build/win64/kelvane.exe "$app/"
cp scripts/demo.reg "$app/"
cat >"$app/startup.reg" <<'EOF'
REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run]
"Kelvane Demo Tray"="C:\\Program Files\\Kelvane Demo\\tray.exe -min"
"Sound Mixer"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,5c,73,79,73,74,65,6d,33,32,5c,\
  73,6e,64,76,6f,6c,2e,65,78,65,00

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\RunOnce]
"Finish Setup"="C:\\Windows\\system32\\rundll32.exe setupapi,InstallHinfSection"
EOF
printf '%s\r\n' '[IgnoreValue]' 'Count=2' \
  'Value1=HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run\Kelvane Demo Updater' \
  'Value2=HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\Help\kvdemo.hlp' \
  '[IgnoreKey]' 'Count=1' \
  'Key1=HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\KelvaneDemo' \
  >"$app/options.ini"

Xvfb :78 -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap '"$WINESERVER" -k >/dev/null 2>&1; kill $xvfb; rm -rf "$WINEPREFIX"' EXIT
export DISPLAY=:78
sleep 1
"$WINE64" 'C:\windows\regedit.exe' /s 'C:\Kelvane\demo.reg'
"$WINE64" 'C:\windows\regedit.exe' /s 'C:\Kelvane\startup.reg'
"$WINE64" 'C:\Kelvane\kelvane.exe' &

main=$(find_window "Varnok Kelvane $version")
sleep 1
xdotool windowfocus --sync "$main" key ctrl+o
options=$(find_window "Options")
sleep 1
import -window "$options" "$out/options-general.png"
# The "Ignore Lists" tab: the second tab of the page control (client coordinates).
xdotool mousemove --window "$options" 105 18 click 1
sleep 1
import -window "$options" "$out/options-ignore-lists.png"
xdotool key Escape
sleep 1
xdotool windowfocus --sync "$main" key ctrl+m
manager=$(find_window "Startup Manager")
sleep 2
import -window "$manager" "$out/startup-manager.png"
echo "wrote $out/options-general.png $out/options-ignore-lists.png $out/startup-manager.png"
