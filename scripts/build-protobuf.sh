#!/usr/bin/env bash
# Builds the plug-in's own protobuf runtime: a position-independent static
# libprotobuf with hidden symbols, from Debian's source package of the same
# version as the installed protoc, so that the library a host loads carries
# its own generated-descriptor pool instead of sharing the system's (two
# copies of the plug-in, or any other plug-in that registers a file of the
# same name, would otherwise abort the host).
#
# Usage: scripts/build-protobuf.sh [dest]   (default build/protobuf-pic)
# Leaves dest/include and dest/lib/libprotobuf.a. Runs once per checkout:
# a later call returns at once while the stamp names the installed version.
# Every build folder of the checkout shares the result; concurrent callers
# wait for one another.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dest=${1:-$root/build/protobuf-pic}
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)

version=$(dpkg-query -W -f='${source:Version}' libprotobuf-dev 2>/dev/null || true)
if [ -z "$version" ]; then
  echo "build-protobuf: libprotobuf-dev is not installed (scripts/install-deps.sh)" >&2
  exit 1
fi

exec 9>"$dest/.lock"
flock 9
if [ -f "$dest/lib/libprotobuf.a" ] && [ "$(cat "$dest/stamp" 2>/dev/null)" = "$version" ]; then
  exit 0
fi
echo "build-protobuf: building protobuf $version into $dest"
start=$SECONDS

# Debian's first archive entry that is not the security archive, in either
# form apt keeps it: deb822 (.sources) or one-line (sources.list).
uri="" keyring=""
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  read -r uri keyring < <(awk '
    function found() { if (u != "" && u !~ /security/) { print u, k; done = 1; exit } }
    /^[ \t]*$/ { found(); u = ""; k = "" }
    /^URIs:/ { u = $2 } /^Signed-By:/ { k = $2 }
    END { if (!done) found() }' "$f") || true
  [ -n "$uri" ] && break
done
if [ -z "$uri" ]; then
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    uri=$(awk '$1 == "deb" { sub(/\[[^]]*\]/, ""); if ($2 !~ /security/) { print $2; exit } }' "$f")
    [ -n "$uri" ] && break
  done
fi
if [ -z "$uri" ]; then
  echo "build-protobuf: no Debian archive entry found in /etc/apt" >&2
  exit 1
fi
. /etc/os-release
options=""
[ -n "$keyring" ] && [ -f "$keyring" ] && options="[signed-by=$keyring] "

# A private apt configuration: the system's sources and lists stay untouched.
work="$dest/work"
rm -rf "$work"
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/src"
printf 'deb-src %s%s %s main\ndeb-src %s%s %s-updates main\n' \
  "$options" "$uri" "$VERSION_CODENAME" "$options" "$uri" "$VERSION_CODENAME" >"$work/sources.list"
apt_private=(-q -o "Dir::Etc::SourceList=$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
             -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache"
             -o APT::Sandbox::User="$(id -un)")
apt-get "${apt_private[@]}" update >"$work/apt-update.log"
# The installed version, or else the archive's newest of the same upstream
# release (the installed one may have come from the security archive).
if ! (cd "$work/src" && apt-get "${apt_private[@]}" source --download-only "protobuf=$version" \
        >"$work/apt-source.log" 2>&1); then
  (cd "$work/src" && apt-get "${apt_private[@]}" source --download-only protobuf >>"$work/apt-source.log")
  case $(basename "$work"/src/protobuf_*.dsc) in
    "protobuf_${version%%-*}"-*) echo "build-protobuf: $version not in the archive; using $(basename "$work"/src/protobuf_*.dsc .dsc)" ;;
    *) echo "build-protobuf: the archive has no protobuf ${version%%-*}" >&2; exit 1 ;;
  esac
fi
# Applies Debian's patches, as the system's own library was built.
(cd "$work/src" && dpkg-source -x protobuf_*.dsc protobuf >"$work/unpack.log" 2>&1)

src="$work/src/protobuf"
cmakedir="$src"
[ -f "$src/CMakeLists.txt" ] || cmakedir="$src/cmake"
cmake -S "$cmakedir" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_POSITION_INDEPENDENT_CODE=ON -DBUILD_SHARED_LIBS=OFF \
  -DCMAKE_CXX_VISIBILITY_PRESET=hidden -DCMAKE_VISIBILITY_INLINES_HIDDEN=ON \
  -Dprotobuf_BUILD_TESTS=OFF -Dprotobuf_BUILD_PROTOC_BINARIES=OFF -Dprotobuf_WITH_ZLIB=OFF \
  >"$work/configure.log"
cmake --build "$work/build" --target libprotobuf -j "${AMBER_JOBS:-$(nproc)}" >"$work/build.log"

rm -rf "$dest/include" "$dest/lib"
mkdir -p "$dest/include" "$dest/lib"
cp "$work/build/libprotobuf.a" "$dest/lib/"
(cd "$src/src" && find google -name '*.h' -o -name '*.inc' | tar -cf - -T -) | tar -xf - -C "$dest/include"
echo "$version" >"$dest/stamp"
rm -rf "$work"
echo "build-protobuf: done in $((SECONDS - start)) s"
