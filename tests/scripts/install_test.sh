#!/usr/bin/env bash
# cmake --install of a built folder, into a temporary prefix and DESTDIR with
# spaces: a fresh install, one over an earlier install whose library is a
# link, one cut short by a file-size limit (the earlier library stays whole);
# scripts/replace-file.sh stopped by SIGTERM mid-copy; ~ in AMBER_VST_DIR at
# configure time; and the build lock of scripts/lib.sh.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 src=$2
t=$(mktemp -d "${TMPDIR:-/tmp}/install test.XXXXXX")
trap 'kill $(jobs -p) 2>/dev/null || :; rm -rf "$t"' EXIT
fail() { echo "FAIL: $1"; cat "${@:2}" 2>/dev/null; exit 1; }
cache() { sed -n "s/^$1:[A-Z]*=//p" "$2/CMakeCache.txt"; }

prefix="$t/pre fix" root="$t/dest dir"
vst=$(cache AMBER_VST_DIR "$build")
case $vst in /*) plugin="$root$vst/AmberThreshold" ;; *) plugin="$root$prefix/$vst/AmberThreshold" ;; esac
so="$plugin/AmberThreshold.so" elsewhere="$t/elsewhere"
mkdir -p "$elsewhere"
install() { DESTDIR=$root cmake --install "$build" --prefix "$prefix" >"$t/out" 2>"$t/err"; }
# No file but the ones listed: no temporary file left behind.
leftovers() { find "$root" "$elsewhere" -type f ! -path "$plugin/sounds/*" ! -path "$so" ! -path "$elsewhere/AmberThreshold.so"; }
whole() {
  cmp -s "$build/AmberThreshold/AmberThreshold.so" "$so" && [ -x "$so" ] &&
    diff -r "$build/AmberThreshold/sounds" "$plugin/sounds" >/dev/null && [ -z "$(leftovers)" ]
}

# Fresh, then over an earlier install whose library is a link elsewhere and
# one of whose sounds is stale.
install && whole && grep -qF -- "-- Installing: $so" "$t/out" && grep -qxF "$so" "$build/install_manifest.txt" ||
  fail "a fresh install (exit $?)" "$t/err"
echo old >"$elsewhere/AmberThreshold.so" && ln -sf "$elsewhere/AmberThreshold.so" "$so"
sound=$(find "$plugin/sounds" -name '*.wav' | head -n 1) && echo stale >"$sound"
install && whole && [ "$(readlink "$so")" = "$elsewhere/AmberThreshold.so" ] ||
  fail "an install over a link (exit $?): $(ls -l "$so")" "$t/err"

# Cut short: CMake's own install left a truncated library here (and died by
# SIGXFSZ); the earlier one must stay as it was.
echo "earlier plug-in" >"$elsewhere/AmberThreshold.so"
code=0 && (ulimit -f 1024 && install) 2>>"$t/err" || code=$?
[ "$code" != 0 ] && [ "$(cat "$so")" = "earlier plug-in" ] && [ -z "$(leftovers)" ] &&
  grep -qF "$so: File too large" "$t/err" || fail "an install past the file-size limit (exit $code)" "$t/err"

# SIGTERM while the routine copies from a pipe that is fed slowly: the
# target stays as it was and the routine's temporary file goes.
mkfifo "$t/pipe"
(printf 'the first part' && exec sleep 30) >"$t/pipe" &
feeder=$!
"$src/scripts/replace-file.sh" "$t/pipe" "$so" 2>"$t/err" &
copier=$!
for _ in $(seq 100); do [ -z "$(leftovers)" ] || break; sleep 0.05; done
[ -n "$(leftovers)" ] || fail "no copy under way" "$t/err"
kill -TERM "$copier" && code=0 && wait "$copier" || code=$?
kill "$feeder"
[ "$code" != 0 ] && [ "$(cat "$so")" = "earlier plug-in" ] && [ -z "$(leftovers)" ] &&
  [ "$(cat "$t/err")" = "replace-file: $so: stopped by SIGTERM" ] || fail "SIGTERM mid-copy (exit $code)" "$t/err"

# ~ in AMBER_VST_DIR, configured (not built) with HOME in the temporary folder:
# VALUE, then the cached folder or, after "!", the whole line of the refusal.
home="$t/home"
while read -r value want; do
  code=0 && HOME=$home cmake -S "$src" -B "$t/tilde" -G Ninja -DAMBER_BUILD_TESTS=OFF -DAMBER_BUILD_BENCH=OFF \
    -DAMBER_PROTOBUF_PIC_DIR="$(cache AMBER_PROTOBUF_PIC_DIR "$build")" "-DAMBER_VST_DIR=$value" \
    >"$t/out" 2>"$t/err" || code=$?
  case $want in
    !*) [ "$code" != 0 ] && sed 's/^ *//' "$t/err" | grep -qxF -- "${want#!}" ;;
    *) [ "$code" = 0 ] && [ "$(cache AMBER_VST_DIR "$t/tilde")" = "$home${want#HOME}" ] ;;
  esac || fail "AMBER_VST_DIR=$value (exit $code, cached $(cache AMBER_VST_DIR "$t/tilde"))" "$t/err"
done <<'ROWS'
~/.vst       HOME/.vst
~            HOME
~nobody/.vst !AMBER_VST_DIR=~nobody/.vst: ~nobody (another user's home) is not expanded here; write the folder in full, e.g. -DAMBER_VST_DIR=/home/nobody/.vst
ROWS

# The build lock: a second holder of one folder waits, and says so, until the
# first lets go.
lock() { bash -c '. "$1/scripts/lib.sh" && lock_build "$2" && echo "$3" && read -r _' _ "$src" "$t/build dir" "$1"; }
mkfifo "$t/go first" "$t/go second"
exec 3<>"$t/go first" 4<>"$t/go second"
lock first <&3 >"$t/first" &
for _ in $(seq 100); do [ ! -s "$t/first" ] || break; sleep 0.05; done
lock second <&4 >"$t/second" &
for _ in $(seq 100); do [ ! -s "$t/second" ] || break; sleep 0.05; done
[ "$(cat "$t/second")" = "waiting for another build of $t/build dir" ] || fail "a second build of one folder" "$t/second"
echo >&3
echo >&4
wait
[ "$(cat "$t/first" "$t/second" | paste -sd' ')" = "first waiting for another build of $t/build dir second" ] ||
  fail "the second build after the first" "$t/first" "$t/second"
