#!/usr/bin/env bash
# Which archive scripts/build-protobuf.sh asks for, when it builds, what its
# stamp records, how it fails and which files it leaves alone, without the
# network: apt-get, dpkg and cmake are stand-ins that log the sources they are
# given and build nothing (or, asked to, keep building until stopped). Then a configured build folder (cmake/PluginProtobuf.cmake)
# that checks the runtime again when its stamp changes.
# Usage: build_protobuf_test.sh SCRIPT PLUGIN_PROTOBUF_CMAKE
set -euo pipefail
t=$(mktemp -d)
trap '[ ! -s "$t/build.pid" ] || kill "$(<"$t/build.pid")" 2>/dev/null; chmod -R u+w "$t"; rm -rf "$t"' EXIT
chmod 755 "$t"
# A copy, so that nobody (below) can run it wherever the checkout lies.
script=$t/build-protobuf.sh
cp "$1" "$script"
real_cmake=$(command -v cmake)
mkdir -p "$t/bin" "$t/etc/apt/sources.list.d" "$t/tmp dir" && touch "$t/key"
echo VERSION_CODENAME=bookworm >"$t/etc/os-release"
cat >"$t/bin/stub" <<'STUB'
#!/usr/bin/env bash
for a; do case $a in Dir::State::Lists=*) lists=${a#*=} ;; Dir::Etc::SourceList=*) cat "${a#*=}" >>"$T/log" ;; esac; done
case ${0##*/}:$* in
  dpkg-query:*) printf %s "$INSTALLED" ;;
  apt-get:*update) [ -n "$OFFLINE" ] || touch "$lists/archive_bookworm_main_source_Sources" ;;
  apt-get:*source*) [ -e "$lists/archive_bookworm_main_source_Sources" ] || exit 100
    [[ ${!#} != *=* || ${!#} == *=$ARCHIVE ]] || exit 100
    echo "Version: $ARCHIVE" >"protobuf_$ARCHIVE.dsc" ;;
  dpkg-source:*) mkdir -p protobuf/src/google/protobuf && touch protobuf/src/google/protobuf/message.h ;;
  cmake:--build*) mkdir -p "$2" && touch "$2/libprotobuf.a"
    [ -z "$SLOW" ] || { echo $$ >"$T/build.pid"; for _ in {1..100}; do date >>"$2/progress"; sleep 0.1; done; } ;;
esac
STUB
chmod 755 "$t/bin/stub"
for tool in apt-get dpkg-query dpkg-source cmake; do ln -s stub "$t/bin/$tool"; done
export T=$t PATH=$t/bin:$PATH AMBER_ETC=$t/etc TMPDIR="$t/tmp dir" SLOW=""
as=() # chmod a-w does not stop root: "other" runs as nobody then
[ "$(id -u)" != 0 ] || as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)

fail() { echo "FAIL: $1"; cat "${@:2}"; exit 1; }
# A user's own files, which every row must leave as they are (keep FILE...).
keep() { sha256sum "$@" >>"$t/sums"; }
plant() { for f in "${@:2}"; do mkdir -p "$(dirname "$t/$1/$f")" && echo mine >"$t/$1/$f" && keep "$t/$1/$f"; done; }
: >"$t/sums"

# row WHAT DEST INSTALLED ARCHIVE OFFLINE owner|other EXIT SOURCES STDERR STAMP (patterns for
# the sources apt-get was given and the script's standard error). Scratch work
# goes to TMPDIR, which keeps at most the logs of a failure. With SIG set, the
# build is sent that signal once it runs, and must end with its whole job,
# leaving nothing in TMPDIR.
row() {
  : >"$t/log" && rm -rf "$t/build.pid" "$t/tmp dir/"*
  local who=() code=0 start=$SECONDS left
  [ "$6" = owner ] || who=("${as[@]}")
  INSTALLED=$3 ARCHIVE=$4 OFFLINE=$5 SLOW=${SIG:-} "${who[@]}" env --default-signal=INT "$script" "$t/$2" \
    >"$t/out" 2>"$t/err" </dev/null &
  if [ -n "${SIG:-}" ]; then
    for _ in {1..50}; do [ -s "$t/build.pid" ] && break; sleep 0.1; done
    kill -s "$SIG" $!
  fi
  wait $! || code=$?
  [ ! -s "$t/sums" ] || sha256sum --quiet -c "$t/sums" >>"$t/err" 2>&1 || code=lost
  left=$(find "$t/tmp dir" "$t/$2/" -path "$t/tmp dir/*/*" ! -name '*.log' -o -name '.staged.*')
  [ -z "${SIG:-}" ] || left+=$(ls -A "$t/tmp dir"; [ ! -s "$t/build.pid" ] || ! kill -0 "$(<"$t/build.pid")" 2>/dev/null || echo running)
  [ "$code" = "$7" ] && [ "$(wc -l <"$t/err")" -le 1 ] && [ $((SECONDS - start)) -lt 10 ] &&
    [[ $(<"$t/log") == $8 && $(<"$t/err") == $9 ]] &&
    [ "$(paste -sd' ' "$t/$2/stamp" 2>/dev/null)" = "${10}" ] && [ -z "$left" ] ||
    fail "$1 (exit $code)" "$t/err" "$t/log" <(echo "$left")
}

# stanza TYPES URIS SUITES EXTRA-LINE: one deb822 entry
stanza() { printf 'Types: %s\nURIs: %s\nSuites: %s\nComponents: main\n%s\n\n' "$@"; }
stanza deb https://repo.example.com/apt bookworm "" >"$t/etc/apt/sources.list.d/a-thirdparty.sources"
{ stanza deb http://off.debian.org/debian bookworm "Enabled: no"
  stanza deb http://deb.debian.org/debian-security bookworm-security "# a comment"
  stanza "deb deb-src" http://on.debian.org/debian "bookworm bookworm-updates" "Signed-By: $t/key"
} >"$t/etc/apt/sources.list.d/debian.sources"
v=3.21.12-3 sec=3.21.12-3+deb12u1 # the security archive's build of the same release
fresh="installed=$v built=$v" kept="installed=$sec built=$v"
row "deb822: the enabled Debian entry" a $v $v "" owner 0 \
  "deb-src \[signed-by=$t/key] http://on.debian.org/debian bookworm main*" "" "$fresh"
row "up to date: no apt at all" a $v $v "" owner 0 "" "" "$fresh"
# Staging folders that a killed run left go once the folder is locked, named
# through a link or not.
mkdir -p "$t/a/.staged.Xy12Zw/include/google" && ln -s a "$t/link to a"
row "a killed run's staging folder, through a link" "link to a" $sec $v "" owner 0 "*" "" "$kept"
rm "$t"/etc/apt/sources.list.d/*
cat >"$t/etc/apt/sources.list" <<ONELINE
# deb http://commented.debian.org/debian bookworm main
deb https://download.example.com/linux/debian bookworm stable
deb [signed-by=/k.gpg] https://packages.example.com/apt cloud-sdk-bookworm main
deb-src http://src.debian.org/debian bookworm main
deb [ arch=amd64 ] http://mirror.example.net/debian bookworm main
ONELINE
row "one-line: the Debian entry" b $v $v "" owner 0 "deb-src http://mirror.example.net/debian bookworm main*" "" "$fresh"
row "installed version not in the archive" b $sec $v "" owner 0 "*" "" "$kept"
row "another upstream release" b 3.21.13-1 $v "" owner 1 "*" "*nor another build of 3.21.13;*" "$kept"
chmod -R a-w "$t/b"
row "read-only, up to date" b $sec $v "" other 0 "" "" "$kept"
row "read-only, must build" b 3.21.12-4 3.21.12-4 "" other 1 "" "*which you cannot write*" "$kept"
row "offline: one line naming the archive and the log, which stays" c $v $v 1 owner 1 "*" \
  "*could not reach the Debian archive at http://mirror.example.net/debian; building*network once (logs: $t/tmp dir/*/apt-update.log)" \
  "installed= built="
[ -f "$(sed 's/.*logs: \(.*\))$/\1/' "$t/err")" ] || fail "the log named is gone"
# TMPDIR relative to where the script started, or missing.
(cd "$t" && TMPDIR="tmp dir" row "a relative TMPDIR" "rel pic" $v $v "" owner 0 "*" "" "$fresh")
TMPDIR="$t/no dir" row "no TMPDIR" "rel pic" $sec $v "" owner 1 "" \
  "build-protobuf: could not make a work folder in $t/no dir (TMPDIR): No such file or directory" "$fresh"
# A signal stops the build's whole job and removes what the run made; the
# user's files beside the runtime stay.
plant "stopped pic" lib/libmine.a && printf 'installed=\nbuilt=\n' >"$t/stopped pic/stamp"
for SIG in TERM INT; do
  row "SIG$SIG while building" "stopped pic" $v $v "" owner $((128 + $(kill -l $SIG))) "*" \
    "build-protobuf: stopped by SIG$SIG while building the runtime in $t/stopped pic; removed its work folder $t/tmp dir/*" \
    "installed= built="
done
SIG=""

# A folder of the user's own is refused, whether or not the archive is there,
# and so is one named through a link, or holding a "stamp" of the user's.
plant "my files" work/thesis.txt lib/libmine.a include/mine.h notes.txt
for off in 1 ""; do row "a folder of the user's, offline=$off" "my files" $v $v "$off" owner 1 "" "*holds other files*new or empty*" ""; done
plant "their pic" include/google/protobuf/message.h lib/libprotobuf.a && ln -s "their pic" "$t/link to pic"
row "a link to a folder of the user's" "link to pic" $v $v "" owner 1 "" "*their pic holds other files*" ""
plant "dated files" include/google/mine.h include/google/protobuf/mine.h lib/libprotobuf.a
echo 20240101 >"$t/dated files/stamp" && keep "$t/dated files/stamp"
row "a stamp of the user's" "dated files" 20240101-1 20240101-1 "" owner 1 "" "*holds other files*" 20240101
# A link inside a runtime folder leads to someone else's files.
plant "their lib" libprotobuf.a && mkdir -p "$t/linked pic" && ln -s "../their lib" "$t/linked pic/lib"
printf 'installed=\nbuilt=\n' >"$t/linked pic/stamp"
row "a runtime folder whose lib is a link" "linked pic" $v $v "" owner 1 "" "*linked pic/lib is a link*" "installed= built="
# An older script's folder (its stamp the bare version) stays in use while up
# to date and is rebuilt when not; once the user has filled it, it is theirs.
for pic in "old pic" "filled pic"; do
  mkdir -p "$t/$pic/include/google/protobuf" "$t/$pic/lib" && echo $v >"$t/$pic/stamp"
  touch "$t/$pic/include/google/protobuf/old.h" "$t/$pic/lib/libprotobuf.a" "$t/$pic/.lock"
done
plant "filled pic" work/thesis.txt lib/python3/site.py include/mine.h stamp.txt
row "an older script's folder, up to date" "old pic" $v $v "" owner 0 "" "" "$v"
row "an older script's folder" "old pic" $sec $v "" owner 0 "*" "" "$kept"
[ -e "$t/old pic/include/google/protobuf/message.h" ] && [ ! -e "$t/old pic/include/google/protobuf/old.h" ] ||
  fail "the older runtime's headers are not replaced"
row "an older script's folder the user filled" "filled pic" $sec $v "" owner 1 "" "*holds other files*" "$v"

# A caller that finds another build of the runtime going on says that it waits.
exec 8>"$t/c/.lock" && flock 8
INSTALLED=$v ARCHIVE=$v OFFLINE=1 "$script" "$t/c" >"$t/out" 2>&1 8>&- &
for _ in {1..50}; do grep -q waiting "$t/out" && break; sleep 0.1; done
exec 8>&- && wait $! || true
grep -qx "build-protobuf: waiting for another build of the runtime in $t/c" "$t/out" || fail "no word while waiting" "$t/out"

# A build folder configured with a relative runtime folder (CMake keeps a
# :PATH value relative) holds it from where cmake started; once the runtime's
# stamp changes, as when libprotobuf-dev changed, the build checks it again,
# and offline it fails with the line that says why. The build also follows
# dpkg's record of libprotobuf-dev, wherever this machine's dpkg keeps it.
mkdir -p "$t/project" && printf 'cmake_minimum_required(VERSION 3.25)\nproject(p NONE)\ninclude("%s")\n' "$2" >"$t/project/CMakeLists.txt"
export INSTALLED=$v ARCHIVE=$v OFFLINE=""
(cd "$t" && "$real_cmake" -S project -B "build dir" -G Ninja "-DAMBER_PROTOBUF_PIC_DIR:PATH=relative pic" >"$t/out" 2>&1) &&
  grep -qxF "AMBER_PROTOBUF_PIC_DIR:PATH=$t/relative pic" "$t/build dir/CMakeCache.txt" &&
  [ -f "$t/relative pic/lib/libprotobuf.a" ] || fail "a relative runtime folder" "$t/out"
sed -i "s/^installed=.*/installed=$sec/" "$t/relative pic/stamp"
OFFLINE=1 "$real_cmake" --build "$t/build dir" >"$t/out" 2>&1 && fail "a changed runtime stamp goes unchecked" "$t/out"
grep -q "build-protobuf: could not reach the Debian archive" "$t/out" &&
  grep -q "/var/lib/dpkg/info/libprotobuf-dev[$:.a-z0-9]*\\.list" "$t/build dir/build.ninja" ||
  fail "a changed runtime stamp" "$t/out"
echo "all rows pass"
