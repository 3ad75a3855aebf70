#!/usr/bin/env bash
# Runs one end-to-end test: a fresh copy of the pristine prefix, kelvane.exe and the
# test driver copied to C:\Kelvane, the driver started there under Wine (and Xvfb when
# there is no display). Usage: e2e-run.sh KELVANE_EXE DRIVER_EXE [driver arguments]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
# shellcheck source=wine-env.sh
source "$here/wine-env.sh"
# Dates and times that the windows show depend on these; the tests expect them pinned.
export TZ=UTC LANG=C.UTF-8 LC_ALL=C.UTF-8
exe=$1 driver=$2
shift 2
root=${KELVANE_WINE_ROOT:-$here/../build/win64/wine}
mkdir -p "$root"
root=$(cd "$root" && pwd)
ensure_pristine "$root"
wine_home "$root"
WINEPREFIX=$(fresh_prefix "$root")
export WINEPREFIX
cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  [ -n "${KELVANE_KEEP_PREFIX:-}" ] && { echo "prefix kept: $WINEPREFIX" >&2; return; }
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
mkdir -p "$WINEPREFIX/drive_c/Kelvane"
cp "$exe" "$WINEPREFIX/drive_c/Kelvane/kelvane.exe"
cp "$driver" "$WINEPREFIX/drive_c/Kelvane/driver.exe"
set +e
"$WINE64" 'C:\Kelvane\driver.exe' "$@"
rc=$?
exit $rc
