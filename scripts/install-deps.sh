#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing, benchmarking, the
# demo and measuring coverage and test size need (dpkg-dev and xz-utils unpack
# the protobuf source that scripts/build-protobuf.sh builds). Runs apt-get as root; otherwise prints the command and stops.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  clang-14 libclang-rt-14-dev clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  protobuf-compiler libprotobuf-dev
  dpkg-dev xz-utils ca-certificates
  libcairo2-dev libpng-dev libfontconfig-dev libx11-dev fonts-liberation fontconfig
  libsndfile1-dev dpf-plugins-vst
  xvfb xdotool x11-apps x11-utils imagemagick
  gcovr cloc
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

cmd=(apt-get install -y --no-install-recommends "${missing[@]}")
if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: run as root:"
  echo "  apt-get update && ${cmd[*]}"
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
"${cmd[@]}"
