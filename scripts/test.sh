#!/usr/bin/env bash
# Runs every test: the release build, a build under AddressSanitizer and
# UndefinedBehaviorSanitizer, the concurrency tests under ThreadSanitizer and a
# short run of each fuzzer. Window tests run on a private Xvfb display.
# FUZZ_SECONDS sets the length of each fuzzer's run (default 60; 0 skips them).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-60}

. scripts/xvfb.sh

# run_suite DIR CMAKE_OPTIONS...: configures and builds DIR and keeps it locked
# for the tests that follow; the next suite's lock releases it.
run_suite() {
  local dir=$1; shift
  lock_build "$dir"
  echo "=== $dir: configure and build"
  cmake -S . -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$jobs"
}

run_suite build -DCMAKE_BUILD_TYPE=Release
echo "=== build: ctest"
ctest --test-dir build --output-on-failure -j "$jobs"

run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DAMBER_SANITIZE=ON -DAMBER_BUILD_BENCH=OFF
echo "=== build-asan: ctest"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS="suppressions='$PWD/tests/lsan.supp':fast_unwind_on_malloc=0" \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

run_suite build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAMBER_TSAN=ON -DAMBER_BUILD_BENCH=OFF
echo "=== build-tsan: concurrency tests"
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -L concurrency -j "$jobs"

unlock_build

if [ "$fuzz_seconds" != "0" ]; then
  scripts/fuzz.sh "$fuzz_seconds"
fi
