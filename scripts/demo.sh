#!/usr/bin/env bash
# Renders the demo phrase (a drum kit, a bass line, a lead and a pad from the
# factory programs) through the built plug-in library with the minimal host,
# into BUILD_DIR/AmberThreshold-demo.wav, and prints its summary.
# Usage: scripts/demo.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
plugin="$build/AmberThreshold/AmberThreshold.so"
host="$build/tools/vsthost/vsthost"
out="$build/AmberThreshold-demo.wav"

for f in "$plugin" "$host"; do
  if [ ! -e "$f" ]; then
    echo "demo: $f is missing; build first (cmake --build $build)" >&2
    exit 1
  fi
done
if [ ! -d "$build/AmberThreshold/sounds" ]; then
  echo "demo: $build/AmberThreshold/sounds is missing; the factory sound set is built with the library" >&2
  exit 1
fi

echo "demo: rendering the demo phrase through $plugin"
# --quiet keeps the instrument's own diagnostic lines out of the summary.
"$host" render "$plugin" --demo --out "$out" --block 512 --quiet
