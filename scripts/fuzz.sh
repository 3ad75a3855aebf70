#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) and runs each for a
# bounded time: the path check, and the registry export file reader seeded with the
# backup writer's own output. Usage: scripts/fuzz.sh [seconds per target]
# (default 60; FUZZ_SECONDS also works)
# The core library is built with coverage instrumentation too, so that the fuzzer is
# guided by the branches of the code under test. Warnings do not stop it;
# the other builds check them.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-${FUZZ_SECONDS:-60}}
build=${FUZZ_BUILD_DIR:-build/fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -DKELVANE_FUZZ=ON -DKELVANE_TESTS=OFF -DKELVANE_WERROR=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  >/dev/null
cmake --build "$build" -j"${JOBS:-2}" --target path_check_fuzz reg_reader_fuzz
# fuzz NAME BINARY ARGS...: runs one target with its chatter in a log; only the log's
# last lines are shown, and the whole log when the target finds something.
fuzz() {
  local name=$1 log="$build/$1.log"
  shift
  if "$@" >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units)' "$log" | sed "s/^/$name: /"
  else
    tail -n 80 "$log"
    echo "$name: the fuzzer found a fault (log: $log)"
    return 1
  fi
}
corpus="$build/corpus/path_check"
mkdir -p "$corpus"
# New inputs go to the build's corpus; the checked-in one (fuzz/corpus/path_check) seeds
# every run and is built into the unit tests.
fuzz path_check "$build/fuzz/path_check_fuzz" "$corpus" fuzz/corpus/path_check -max_total_time="$seconds" -max_len=512 \
  -print_final_stats=1 -artifact_prefix="$build/"
corpus="$build/corpus/reg_reader"
mkdir -p "$corpus"
KELVANE_FUZZ_SEEDS="$corpus" fuzz reg_reader "$build/fuzz/reg_reader_fuzz" "$corpus" -max_total_time="$seconds" \
  -max_len=4096 -print_final_stats=1 -artifact_prefix="$build/reg-"
