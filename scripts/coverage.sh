#!/usr/bin/env bash
# Line coverage of src/ by the tests: a Debug build with --coverage whose tests
# run on a private Xvfb display, summarised by gcovr (generated protobuf
# classes excluded). Usage: scripts/coverage.sh [build-dir]  (default
# build-coverage). Needs gcovr (scripts/install-deps.sh installs it).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-coverage}
jobs=$(nproc)

. scripts/xvfb.sh
. scripts/lib.sh

lock_build "$dir"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DAMBER_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="--coverage -fprofile-update=atomic" -DCMAKE_C_FLAGS="--coverage -fprofile-update=atomic" \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage
cmake --build "$dir" -j "$jobs"
# Counters of earlier runs go first, or the report counts them again. find
# does not follow a link it starts from: it is given the folder itself.
build=$(cd "$dir" && pwd -P)
find "$build" -name '*.gcda' -delete
ctest --test-dir "$dir" -j "$jobs" --output-on-failure || true
# gcov writes its working files into the current folder: keep them in the build.
# Threads of one test update counters at once (hence atomic profile updates);
# should a counter still come out unreadable, skip that line, not the report.
# One gcov at a time: gcovr's parallel workers can hang for good after such a
# skipped line.
root=$PWD
(cd "$dir" && gcovr -r "$root" . --filter "$root/src/" --exclude '.*\.pb\.' --gcov-ignore-parse-errors \
  --txt coverage.txt --print-summary)
