#!/usr/bin/env bash
# A newcomer's first command: installs the packages, builds the plug-in's own
# protobuf runtime and the release build (library, tools and the factory sound
# set beside the library) and renders
# the demo when the plug-in and the host tool are there.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

scripts/install-deps.sh
jobs=$(nproc)
# The plug-in's own protobuf runtime, once per checkout (configuring would
# build it as well; here its cost shows on its own).
scripts/build-protobuf.sh
lock_build build
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"

if [ -x scripts/demo.sh ]; then
  scripts/demo.sh build
fi
