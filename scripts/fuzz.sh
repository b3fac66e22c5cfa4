#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds per target] [target name ...]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

seconds=${1:-60}
shift || true
jobs=$(nproc)

lock_build build-fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DAMBER_FUZZ=ON -DAMBER_BUILD_TESTS=OFF -DAMBER_BUILD_BENCH=OFF
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(cmake --build build-fuzz --target help | sed -n 's/^\(fuzz_[A-Za-z0-9_]*\):.*/\1/p' | sort -u)
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no targets"
  exit 0
fi
cmake --build build-fuzz -j "$jobs" --target "${targets[@]}"

for t in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$t
  mkdir -p "$corpus"
  echo "=== fuzz: $t for ${seconds}s"
  (cd build-fuzz && ./fuzz/*/"$t" -max_total_time="$seconds" -print_final_stats=1 \
     -artifact_prefix="corpus-$t-" "corpus/$t" 2>&1 | tail -n 25)
done
