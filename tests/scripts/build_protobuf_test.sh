#!/usr/bin/env bash
# Which archive scripts/build-protobuf.sh asks for, when it builds, what its
# stamp records and how it fails, without the network: apt-get, dpkg and
# cmake are stand-ins that log the sources they are given and build nothing.
set -euo pipefail
t=$(mktemp -d)
trap 'chmod -R u+w "$t"; rm -rf "$t"' EXIT
chmod 755 "$t"
# A copy, so that nobody (below) can run it wherever the checkout lies.
script=$t/build-protobuf.sh
cp "$1" "$script"
mkdir -p "$t/bin" "$t/etc/apt/sources.list.d" && touch "$t/key"
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
  dpkg-source:*) mkdir -p protobuf/src/google ;;
  cmake:--build*) mkdir -p "$2" && touch "$2/libprotobuf.a" ;;
esac
STUB
chmod 755 "$t/bin/stub"
for tool in apt-get dpkg-query dpkg-source cmake; do ln -s stub "$t/bin/$tool"; done
as=() # chmod a-w does not stop root: "other" runs as nobody then
[ "$(id -u)" != 0 ] || as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)

# row WHAT DEST INSTALLED ARCHIVE OFFLINE owner|other EXIT SOURCES STDERR STAMP (patterns for
# the sources apt-get was given and the script's standard error)
row() {
  : >"$t/log"
  local who=() code=0 start=$SECONDS
  [ "$6" = owner ] || who=("${as[@]}")
  INSTALLED=$3 ARCHIVE=$4 OFFLINE=$5 T=$t PATH=$t/bin:$PATH AMBER_ETC=$t/etc \
    "${who[@]}" "$script" "$t/$2" >/dev/null 2>"$t/err" || code=$?
  [ "$code" = "$7" ] && [ "$(wc -l <"$t/err")" -le 1 ] && [ $((SECONDS - start)) -lt 10 ] &&
    [[ $(<"$t/log") == $8 && $(<"$t/err") == $9 ]] &&
    [ "$(paste -sd' ' "$t/$2/stamp" 2>/dev/null)" = "${10}" ] ||
    { echo "FAIL: $1 (exit $code)"; cat "$t/err" "$t/log"; exit 1; }
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
row "offline: one line naming the archive" c $v $v 1 owner 1 "*" \
  "*could not reach the Debian archive at http://mirror.example.net/debian; building*network once*" ""
