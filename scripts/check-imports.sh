#!/usr/bin/env bash
# Checks that kelvane.exe imports nothing that Windows 7 SP1, the oldest Windows the
# program supports, lacks: every DLL!function of the exe's import table (read with
# objdump -p) must be on scripts/windows7-imports.txt. That list names only functions
# that Windows 7 SP1 exports; a new import goes onto it after checking that.
# Usage: check-imports.sh EXE...  Exit status 1 when an import is not on the list.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
list=$here/windows7-imports.txt
status=0
for exe in "$@"; do
  objdump=x86_64-w64-mingw32-objdump
  file "$exe" 2>/dev/null | grep -q 'Intel 80386' && objdump=i686-w64-mingw32-objdump
  command -v "$objdump" >/dev/null || objdump=objdump
  # DLL names differ in letter case between the import libraries; compare them in
  # lower case.
  imports=$("$objdump" -p "$exe" | awk '
    /^\tDLL Name: / { dll = tolower($3); next }
    /^\tvma:/ { next }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+  / { print dll "!" $3; next }
    /^ *$/ { }
    /^ [0-9a-f]+\t/ { dll = "" }' | sort -u)
  if [ -z "$imports" ]; then
    echo "$exe: no import table found" >&2
    status=1
    continue
  fi
  missing=$(grep -v '^#' "$list" | grep -v '^$' | grep -vixF -f - <(echo "$imports") || true)
  count=$(wc -l <<<"$imports")
  dlls=$(cut -d'!' -f1 <<<"$imports" | sort -u | tr '\n' ' ')
  if [ -n "$missing" ]; then
    echo "$exe: imports not on $(basename "$list") (Windows 7 SP1):"
    sed 's/^/  /' <<<"$missing"
    status=1
  else
    echo "$exe: all $count imports are on the Windows 7 SP1 list ($dlls)"
  fi
done
exit $status
