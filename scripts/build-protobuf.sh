#!/usr/bin/env bash
# Builds the plug-in's own protobuf runtime: a position-independent static
# libprotobuf with hidden symbols, from Debian's source package of the same
# version as the installed protoc, so that the library a host loads carries
# its own generated-descriptor pool instead of sharing the system's (two
# copies of the plug-in, or any other plug-in that registers a file of the
# same name, would otherwise abort the host).
#
# Usage: scripts/build-protobuf.sh [dest]   (default .cache/protobuf-pic)
# Leaves dest/include/google, dest/lib/libprotobuf.a and dest/stamp. A
# relative dest (or TMPDIR) is taken from the current folder, and a link to a
# folder stands for the folder it leads to. dest must be new, empty or a
# runtime folder already (its stamp says so): a folder that holds anything
# else is refused, untouched. The work happens in a private temporary folder
# (TMPDIR), which a failure leaves holding only its logs, and the result
# replaces only what an earlier run left. SIGINT or SIGTERM stops the steps
# and removes the work folder and the staged result. Runs once per checkout
# and needs the network that once: a later call returns at once, without
# writing anything, while the stamp names the installed version. The default
# folder lies outside every build folder, so every build folder of the
# checkout shares it and removing one keeps it; concurrent callers wait for
# one another.
# AMBER_ETC names the folder holding apt/ and os-release (default /etc);
# AMBER_JOBS the build's parallelism (default: every core).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd -P)
dest=${1:-$root/.cache/protobuf-pic}
[[ $dest == /* ]] || dest=$PWD/$dest
# The steps run in other folders than this one.
if [ -n "${TMPDIR:-}" ]; then
  [[ $TMPDIR == /* ]] || TMPDIR=$PWD/$TMPDIR
  export TMPDIR
fi
etc=${AMBER_ETC:-/etc}

fail() {
  echo "build-protobuf: $*" >&2
  exit 1
}

# Each step runs in the background, in a process group of its own, so that a
# signal reaches the trap below at once, not when the step ends, and stops the
# step's whole job (a build's compilers too).
# run LOG COMMAND...: the command's output goes to LOG.
work="" staged="" child="" stopped=""
run() {
  local code=0 log=$1
  shift
  setsid "$@" >"$log" 2>&1 &
  child=$!
  wait "$child" || code=$?
  child=""
  return "$code"
}
# Whether a process of group $1 has yet to end; a zombie has ended (some
# init processes are slow to reap the orphans a killed step leaves).
alive() {
  local f s state pgrp
  for f in /proc/[0-9]*/stat; do
    read -r s 2>/dev/null <"$f" || continue
    read -r state _ pgrp _ <<<"${s##*) }"
    [ "$pgrp" != "$1" ] || [ "$state" = Z ] || return 0
  done
  return 1
}
stop() {
  trap '' INT TERM
  stopped=$1
  if [ -n "$child" ]; then
    kill -TERM -- "-$child" 2>/dev/null || true
    # A few seconds for the step's job to end; what is left then is killed.
    for _ in {1..50}; do alive "$child" || break; sleep 0.1; done
    kill -KILL -- "-$child" 2>/dev/null || true
    wait "$child" 2>/dev/null || true
  fi
  exit $((128 + $(kill -l "$1")))
}
# Removes what this run made: the staged result, and the work folder, whose
# logs a failure keeps (its message names them).
cleanup() {
  local code=$?
  [ -z "$staged" ] || rm -rf "$staged"
  if [ -z "$work" ]; then
    :
  elif [ "$code" = 0 ] || [ -n "$stopped" ]; then
    rm -rf "$work"
  else
    find "$work" -mindepth 1 -maxdepth 1 ! -name '*.log' -exec rm -rf {} +
    rmdir "$work" 2>/dev/null || true
  fi
  [ -z "$stopped" ] || echo "build-protobuf: stopped by SIG$stopped while building the runtime in $dest${work:+; removed its work folder $work}" >&2
}
trap cleanup EXIT
trap 'stop INT' INT
trap 'stop TERM' TERM

version=$(dpkg-query -W -f='${source:Version}' libprotobuf-dev 2>/dev/null || true)
[ -n "$version" ] || fail "libprotobuf-dev is not installed (scripts/install-deps.sh)"

# The stamp holds "installed=" (the version the runtime was made for) and
# "built=" (the source version built, which may differ when the archive
# lacks the installed one); a stamp of older scripts holds the bare version.
up_to_date() {
  [ -f "$dest/lib/libprotobuf.a" ] &&
    [ "$(sed -n -e '/=/!p' -e 's/^installed=//p' "$dest/stamp" 2>/dev/null)" = "$version" ]
}
# Checked before anything is written, so that a user who cannot write the
# folder (a checkout set up by root, or read-only) still configures.
up_to_date && exit 0

if ! mkdir -p "$dest" 2>/dev/null || [ ! -w "$dest" ]; then
  fail "protobuf $version must be built into $dest, which you cannot write: run" \
    "scripts/build-protobuf.sh once as its owner, or configure with -DAMBER_PROTOBUF_PIC_DIR=<a new or empty folder of yours>"
fi
# Every test of what is whose looks at the folder itself, not at a link to it.
dest=$(cd "$dest" && pwd -P)

# only DIR NAME...: DIR is a folder, not a link, that holds nothing but NAMEs.
only() {
  local dir=$1 name not=()
  shift
  for name; do not+=(! -name "$name"); done
  [ -d "$dir" ] && [ ! -L "$dir" ] &&
    [ -z "$(find "$dir" -mindepth 1 -maxdepth 1 "${not[@]}" -print -quit 2>/dev/null || echo unreadable)" ]
}
# The folder is ours when it is the checkout's default (itself, not a link
# to another folder), holds nothing but our lock, or holds this script's
# stamp. The stamp of older scripts (the bare version) proves less, as a
# user's own "stamp" may look the same: it counts only beside exactly what
# those scripts left, the runtime's headers and library. A folder of the
# user's own is never written to.
ours() {
  [ "$dest" = "$root/.cache/protobuf-pic" ] && return 0
  only "$dest" .lock && return 0
  [ -f "$dest/stamp" ] && [ ! -L "$dest/stamp" ] || return 1
  awk 'NR == 1 && /^installed=[^[:space:]]*$/ { i = 1 } NR == 2 && /^built=[^[:space:]]*$/ { b = 1 }
       END { exit !(i && b && NR == 2) }' "$dest/stamp" && return 0
  [ "$(grep -c '' "$dest/stamp")" = 1 ] && grep -Eqx '[0-9][0-9A-Za-z.+~:-]*' "$dest/stamp" &&
    only "$dest" stamp .lock include lib '.staged.??????' && only "$dest/include" google &&
    only "$dest/include/google" protobuf && [ -d "$dest/include/google/protobuf" ] && [ ! -L "$dest/include/google/protobuf" ] &&
    only "$dest/lib" libprotobuf.a && [ -f "$dest/lib/libprotobuf.a" ] && [ ! -L "$dest/lib/libprotobuf.a" ]
}
ours || fail "$dest holds other files and no stamp of the runtime, so nothing is built there: name a new" \
  "or empty folder (configure with -DAMBER_PROTOBUF_PIC_DIR=<folder>, or scripts/build-protobuf.sh <folder>)"
# What a run writes in its folder must be the runtime's own too: a link there
# leads to someone else's files, and include/google holds the runtime's
# headers alone, as it is replaced whole.
for place in stamp .lock include lib include/google include/google/protobuf lib/libprotobuf.a; do
  [ ! -L "$dest/$place" ] || fail "$dest/$place is a link, so nothing is built in $dest: name a new or empty folder"
done
[ ! -e "$dest/include/google" ] || only "$dest/include/google" protobuf ||
  fail "$dest/include/google holds files beside protobuf's headers, so nothing is built in $dest: name a new or empty folder"

exec 9>"$dest/.lock"
if ! flock -n 9; then
  echo "build-protobuf: waiting for another build of the runtime in $dest"
  run /dev/null flock 9
fi
# Staging folders that a run killed outright left behind: no run is using
# them while this one holds the lock.
find "$dest" -mindepth 1 -maxdepth 1 -type d -name '.staged.??????' -exec rm -rf {} +
up_to_date && exit 0 # another caller built it while this one waited
# Marks the folder as ours (a stamp naming no version yet) before anything
# else is written into it.
[ -e "$dest/stamp" ] || printf 'installed=\nbuilt=\n' >"$dest/stamp"
echo "build-protobuf: building protobuf $version into $dest"
start=$SECONDS

codename=$(. "$etc/os-release" && echo "${VERSION_CODENAME:-}")
[ -n "$codename" ] || fail "$etc/os-release names no release (VERSION_CODENAME)"

# Debian's archive for this release, from apt's entries in either form
# (one-line .list, deb822 .sources): an enabled binary entry whose suites
# hold the release itself and whose components hold main, not the security
# archive. Third-party repositories rarely match all of that; of the
# entries that do, one on a debian.org host wins. Prints "URI [keyring]".
sources=()
for f in "$etc/apt/sources.list" "$etc"/apt/sources.list.d/*.list "$etc"/apt/sources.list.d/*.sources; do
  [ -f "$f" ] && sources+=("$f")
done
read -r uri keyring < <(awk -v release="$codename" '
  function has(list, word,   n, i, w) {
    n = split(list, w)
    for (i = 1; i <= n; i++) if (w[i] == word) return 1
    return 0
  }
  function take(types, uris, suites, components, key, enabled,   n, i, u) {
    if (tolower(enabled) == "no" || !has(types, "deb") || !has(suites, release) || !has(components, "main"))
      return
    split(key, k)
    n = split(uris, u)
    for (i = 1; i <= n; i++) {
      if (u[i] ~ /security/) continue
      if (first == "") first = u[i] " " k[1]
      if (debian == "" && u[i] ~ /^[a-z+]+:\/\/[^\/]*debian\.org\//) debian = u[i] " " k[1]
    }
  }
  function stanza() {
    take(f["types"], f["uris"], f["suites"], f["components"], f["signed-by"], f["enabled"])
    split("", f)
  }
  FNR == 1 { stanza() }
  FILENAME ~ /\.list$/ && $1 == "deb" {
    key = ""
    if (match($0, /\[[^]]*\]/)) {
      options = substr($0, RSTART + 1, RLENGTH - 2)
      $0 = substr($0, 1, RSTART - 1) substr($0, RSTART + RLENGTH)
      if (match(options, /signed-by=[^ \t]+/)) key = substr(options, RSTART + 10, RLENGTH - 10)
    }
    components = ""
    for (i = 4; i <= NF; i++) components = components " " $i
    take("deb", $2, $3, components, key, "")
  }
  FILENAME ~ /\.sources$/ && /^[ \t]*$/ { stanza() }
  FILENAME ~ /\.sources$/ && match($0, /^[A-Za-z-]+:/) {
    value = substr($0, RLENGTH + 1)
    gsub(/^[ \t]+|[ \t]+$/, "", value)
    f[tolower(substr($0, 1, RLENGTH - 1))] = value
  }
  END {
    stanza()
    if (debian != "") print debian; else if (first != "") print first
  }' /dev/null "${sources[@]}") || true
[ -n "${uri:-}" ] || fail "no Debian archive for $codename with main in $etc/apt (sources.list, sources.list.d)"
options=""
[ -n "${keyring:-}" ] && [ -f "$keyring" ] && options="[signed-by=$keyring] "

# Scratch work in a private folder; a failure keeps only its logs, which the
# failure's message names.
work=$(mktemp -d -t amber-protobuf.XXXXXX 2>&1) || {
  reason=${work##*: }
  work=""
  fail "could not make a work folder in ${TMPDIR:-/tmp} (TMPDIR): $reason"
}

# A private apt configuration: the system's sources and lists stay untouched.
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/src" 2>/dev/null ||
  fail "could not write in the work folder $work"
printf 'deb-src %s%s %s main\ndeb-src %s%s %s-updates main\n' \
  "$options" "$uri" "$codename" "$options" "$uri" "$codename" >"$work/sources.list"
apt_private=(-q -o "Dir::Etc::SourceList=$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
             -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache"
             -o APT::Sandbox::User="$(id -un)" -o Acquire::http::Timeout=10 -o Acquire::https::Timeout=10)

# Runs one step with its output in a log; a failure names the step and the log.
step() {
  local what=$1 log=$work/$2
  shift 2
  run "$log" "$@" || fail "$what failed (log: $log)"
}

# apt-get update exits 0 even when every fetch fails: the source index
# itself tells whether the archive was reached. Without retries, an archive
# that never answers costs four timeouts in a row (two suites, InRelease then
# Release), well under a minute.
run "$work/apt-update.log" apt-get "${apt_private[@]}" -o Acquire::Retries=0 update || true
if ! compgen -G "$work/lists/*_Sources*" >/dev/null; then
  fail "could not reach the Debian archive at $uri; building the plug-in's protobuf runtime" \
    "needs the network once (logs: $work/apt-update.log)"
fi

# The installed version, or else the archive's newest of the same upstream
# release (the installed one may have come from the security archive).
cd "$work/src"
if ! run "$work/apt-source.log" apt-get "${apt_private[@]}" source --download-only "protobuf=$version"; then
  step "downloading protobuf's source from $uri" apt-source.log \
    apt-get "${apt_private[@]}" source --download-only protobuf
fi
built=$(sed -n 's/^Version: //p' protobuf_*.dsc)
if [ "$built" != "$version" ]; then
  [ "${built%-*}" = "${version%-*}" ] ||
    fail "the archive at $uri has protobuf $built, not $version nor another build of ${version%-*};" \
      "bring the installed protobuf to the archive's version (apt-get update; apt-get upgrade) and run again"
  echo "build-protobuf: $version is not in the archive; building $built of the same release"
fi
# Applies Debian's patches, as the system's own library was built.
step "unpacking protobuf's source" unpack.log dpkg-source -x protobuf_*.dsc protobuf

src="$work/src/protobuf"
cmakedir="$src"
[ -f "$src/CMakeLists.txt" ] || cmakedir="$src/cmake"
step "configuring protobuf" configure.log cmake -S "$cmakedir" -B "$work/build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_POSITION_INDEPENDENT_CODE=ON -DBUILD_SHARED_LIBS=OFF \
  -DCMAKE_CXX_VISIBILITY_PRESET=hidden -DCMAKE_VISIBILITY_INLINES_HIDDEN=ON \
  -Dprotobuf_BUILD_TESTS=OFF -Dprotobuf_BUILD_PROTOC_BINARIES=OFF -Dprotobuf_WITH_ZLIB=OFF
step "building protobuf" build.log \
  cmake --build "$work/build" --target libprotobuf -j "${AMBER_JOBS:-$(nproc)}"

# Staged beside the runtime, then renamed into place; the stamp comes last,
# so that a run cut short is taken for out of date. Only what an earlier run
# installed is replaced: anything else in dest/include or dest/lib stays.
staged=$(mktemp -d "$dest/.staged.XXXXXX")
mkdir -p "$staged/include" "$dest/include" "$dest/lib"
cp "$work/build/libprotobuf.a" "$staged/"
(cd "$src/src" && find google -name '*.h' -o -name '*.inc' | tar -cf - -T -) | tar -xf - -C "$staged/include"
printf 'installed=%s\nbuilt=%s\n' "$version" "$built" >"$staged/stamp"
[ ! -e "$dest/include/google" ] || mv "$dest/include/google" "$staged/old-google"
mv "$staged/include/google" "$dest/include/google"
mv -f "$staged/libprotobuf.a" "$dest/lib/libprotobuf.a"
mv -f "$staged/stamp" "$dest/stamp"
echo "build-protobuf: done in $((SECONDS - start)) s"
