#!/usr/bin/env bash
# Prints the fingerprints of the golden scenario as the current code renders
# it, to be pasted into golden_test.cpp after an intended change of the sound.
# Usage: tests/sampler/print-golden.sh [build folder]
set -eu
cd "$(dirname "$0")/../.."
cmake --build "${1:-build}" --target sampler_tests >/dev/null
AMBER_PRINT_GOLDEN=1 "${1:-build}/tests/sampler/sampler_tests" --gtest_filter='SamplerGolden.*' 2>&1 >/dev/null | sed -n 's/^GOLDEN //p'
