#!/usr/bin/env bash
# Builds everything and runs every test: the source format and the include layering,
# the core tests natively under ASan/UBSan and
# the scan thread's tests under TSan, the same core tests under Wine against the real
# registry, the end-to-end tests of kelvane.exe under Wine and Xvfb, the 32-bit build
# (compile and link only), the check of both programs' imports against the oldest
# supported Windows, and a bounded fuzzing run of the path check and of the backup
# file reader.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh || exit 1
jobs=${JOBS:-$(nproc)}
passed=0 failed=0 status=0
log=$(mktemp)

# run_ctest DIR [ctest args]: runs ctest and adds its counts to the totals.
run_ctest() {
  local dir=$1
  shift
  ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee "$log"
  local line
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$line" ]; then
    failed=$((failed + 1)) status=1
    return
  fi
  local f t
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + t - f)) failed=$((failed + f))
  [ "$f" -eq 0 ] || status=1
}

step() { echo; echo "=== $*"; }

step "source formatting (clang-format)"
sources=$(git ls-files '*.cpp' '*.h' 2>/dev/null) ||
  sources=$(find app backup bench fuzz options platform restore restorepoint results scan startup tests ui -name '*.cpp' -o -name '*.h')
if clang-format --dry-run --Werror $sources; then
  passed=$((passed + 1))
else
  failed=$((failed + 1)) status=1
fi

step "include layering (scripts/check-layers.py)"
if python3 scripts/check-layers.py; then
  passed=$((passed + 1))
else
  failed=$((failed + 1)) status=1
fi

step "native build (ASan/UBSan)"
cmake --preset native >/dev/null && cmake --build build/native -j"$jobs" || exit 1
step "native tests"
run_ctest build/native -j"$jobs"

step "scan thread under ThreadSanitizer"
cmake --preset native-tsan >/dev/null && cmake --build build/native-tsan -j"$jobs" --target kelvane_tests || exit 1
run_ctest build/native-tsan -R 'Scan' -j"$jobs"

step "win64 build"
cmake --preset win64 >/dev/null && cmake --build build/win64 -j"$jobs" || exit 1
step "tests under Wine (core tests and end-to-end)"
run_ctest build/win64 -j2

step "win32 build (compile and link only)"
cmake --preset win32 >/dev/null && cmake --build build/win32 -j"$jobs" --target kelvane || exit 1

step "imports of kelvane.exe against Windows 7 SP1"
if scripts/check-imports.sh build/win64/kelvane.exe build/win32/kelvane.exe; then
  passed=$((passed + 1))
else
  failed=$((failed + 1)) status=1
fi

if [ -x scripts/fuzz.sh ]; then
  step "fuzzing the path check and the backup file reader"
  if scripts/fuzz.sh; then passed=$((passed + 1)); else failed=$((failed + 1)) status=1; fi
fi

rm -f "$log"
echo
echo "kelvane: $passed passed, $failed failed"
exit $status
