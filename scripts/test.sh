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
# Names of what failed, and of tests that passed only when run again, repeated at the
# very end so that a log's tail shows them.
failures=()
unsteady=()

# ctest_counts LOG: "failed total" from a ctest log's summary line, or nothing.
ctest_counts() {
  grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1 |
    sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/'
}

# ctest_failed LOG: the names of the tests a ctest log lists as failed, one per line.
ctest_failed() {
  sed -n '/The following tests FAILED:/,$p' "$1" | grep -E '^[[:space:]]+[0-9]+ - ' |
    sed -E 's/^[[:space:]]+[0-9]+ - //; s/ \(.*\)$//'
}

# run_ctest DIR [ctest args]: runs ctest and adds its counts to the totals. A test that
# fails is run once more on its own; one that passes then counts as passed but is
# named at the end as unsteady, so that it gets looked at.
run_ctest() {
  local dir=$1
  shift
  ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee "$log"
  local counts f t
  counts=$(ctest_counts "$log")
  if [ -z "$counts" ]; then
    failed=$((failed + 1)) status=1 failures+=("$dir: ctest gave no summary")
    return
  fi
  read -r f t <<<"$counts"
  if [ "$f" -gt 0 ]; then
    local first name
    first=$(ctest_failed "$log")
    echo "=== running the $f failed test(s) of $dir once more"
    ctest --test-dir "$dir" --output-on-failure --rerun-failed 2>&1 | tee "$log"
    [ -n "$(ctest_counts "$log")" ] || echo "The following tests FAILED:$(sed 's/^/\n\t0 - /' <<<"$first")" >>"$log"
    f=0
    while IFS= read -r name; do
      [ -n "$name" ] || continue
      if ctest_failed "$log" | grep -qxF "$name"; then
        failures+=("$dir: $name")
        f=$((f + 1))
      else
        unsteady+=("$dir: $name")
      fi
    done <<<"$first"
  fi
  passed=$((passed + t - f)) failed=$((failed + f))
  [ "$f" -eq 0 ] || status=1
}

# check NAME COMMAND...: runs a check that counts as one test.
check() {
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1)) status=1 failures+=("$name")
  fi
}

step() { echo; echo "=== $*"; }

step "source formatting (clang-format)"
sources=$(git ls-files '*.cpp' '*.h' 2>/dev/null) ||
  sources=$(find app backup bench fuzz options platform restore restorepoint results scan startup tests ui -name '*.cpp' -o -name '*.h')
# shellcheck disable=SC2086 # one argument per file
check "source formatting" clang-format --dry-run --Werror $sources

step "include layering (scripts/check-layers.py)"
check "include layering" python3 scripts/check-layers.py

step "native build (ASan/UBSan)"
cmake --preset native >/dev/null && cmake --build build/native -j"$jobs" || exit 1
step "native tests"
run_ctest build/native -j"$jobs"

step "scan thread under ThreadSanitizer"
cmake --preset native-tsan >/dev/null && cmake --build build/native-tsan -j"$jobs" --target kelvane_tests || exit 1
run_ctest build/native-tsan -R 'Scan|Walk' -j"$jobs"

step "win64 build"
cmake --preset win64 >/dev/null && cmake --build build/win64 -j"$jobs" || exit 1
step "release package (kelvane.exe, README.txt and the help page Kelvane.html)"
# The package is named by the program's version, as project() in CMakeLists.txt gives it.
version=$(sed -n 's/^project(Kelvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
package_holds() {
  cmake --build build/win64 --target package >/dev/null &&
    python3 -c 'import sys, zipfile
names = set(zipfile.ZipFile(sys.argv[1]).namelist())
sys.exit(0 if {"kelvane.exe", "README.txt", "Kelvane.html"} <= names else 1)' \
      "build/win64/kelvane-$version-win64.zip"
}
check "package" package_holds

step "tests under Wine (core tests and end-to-end)"
run_ctest build/win64 -j2

step "win32 build (compile and link only)"
cmake --preset win32 >/dev/null && cmake --build build/win32 -j"$jobs" --target kelvane || exit 1

step "imports of kelvane.exe against Windows 7 SP1"
check "imports" scripts/check-imports.sh build/win64/kelvane.exe build/win32/kelvane.exe

if [ -x scripts/fuzz.sh ]; then
  step "fuzzing the path check and the backup file reader"
  check "fuzzing" scripts/fuzz.sh
fi

rm -f "$log"
echo
for name in "${unsteady[@]}"; do echo "UNSTEADY (failed, then passed on its own): $name"; done
for name in "${failures[@]}"; do echo "FAILED: $name"; done
echo "kelvane: $passed passed, $failed failed"
exit $status
