#!/usr/bin/env bash
# Runs one end-to-end test: a fresh copy of the pristine prefix, kelvane.exe and the
# test driver copied to C:\Kelvane, the driver started there under Wine (and Xvfb when
# there is no display). Usage: e2e-run.sh KELVANE_EXE DRIVER_EXE [driver arguments]
# KELVANE_DPI=144 (or 192, ...) sets Wine's DPI setting (LogPixels) in the prefix first;
# the Xvfb screen then grows with it. KELVANE_PREFIX_REG names a .reg file to import
# into the prefix before the driver starts.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dpi=${KELVANE_DPI:-96}
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 $((1280 * dpi / 96))x$((1024 * dpi / 96))x24" "$0" "$@"
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
if [ "$dpi" != 96 ]; then
  set_wine_dpi "$dpi"
fi
if [ -n "${KELVANE_PREFIX_REG:-}" ]; then
  import_reg "$KELVANE_PREFIX_REG"
fi
set +e
"$WINE64" 'C:\Kelvane\driver.exe' "$@"
rc=$?
# A case that leaves -scan reports in C:\Kelvane\host-check has them read back here
# by Python's csv module, as the tools that run Kelvane read them.
check="$WINEPREFIX/drive_c/Kelvane/host-check"
if [ -d "$check" ] && ! python3 "$here/../tests/e2e/check_report.py" "$check"; then
  [ "$rc" = 0 ] && rc=1
fi
exit $rc
