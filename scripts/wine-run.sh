#!/usr/bin/env bash
# Runs a Windows program under Wine in a fresh copy of the build's pristine prefix,
# under Xvfb when there is no display. CMake uses it as the cross-compiling emulator.
# KELVANE_WINE_ROOT names the folder of the prefixes (default: build/win64/wine).
# KELVANE_KEEP_PREFIX=path runs in that prefix instead and keeps it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
# shellcheck source=wine-env.sh
source "$here/wine-env.sh"
root=${KELVANE_WINE_ROOT:-$here/../build/win64/wine}
mkdir -p "$root"
root=$(cd "$root" && pwd)
ensure_pristine "$root"
wine_home "$root"
if [ -n "${KELVANE_KEEP_PREFIX:-}" ]; then
  export WINEPREFIX=$KELVANE_KEEP_PREFIX
  [ -d "$WINEPREFIX/drive_c" ] || WINEPREFIX=$(fresh_prefix "$root") && true
else
  WINEPREFIX=$(fresh_prefix "$root")
  export WINEPREFIX
  trap '"$WINESERVER" -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
fi
set +e
"$WINE64" "$@"
rc=$?
"$WINESERVER" -w >/dev/null 2>&1
exit $rc
