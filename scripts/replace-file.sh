#!/bin/sh
# Replaces files whole, the shared way for the scripts and for cmake --install:
# each SOURCE is copied under a temporary name in the folder of its DEST and
# renamed over it, so that a reader (a host loading the plug-in) sees the old
# file or the new one, never a cut-short one. A link at DEST is followed
# first, so that it keeps leading to the new file. A DEST that is a device or
# a pipe is written in place and never removed.
# Usage: replace-file.sh [-v] [-m MODE] [--] SOURCE DEST [SOURCE DEST]...
#   -v       print "-- Installing: DEST" before each file
#   -m MODE  octal mode of the new files (default: that of the file replaced,
#            or the umask's for a new one)
# On a failure or a signal it removes only its own temporary file and stops
# with one line that names DEST and the reason.
set -eu

verbose='' mode=''
while [ $# -gt 0 ]; do
  case $1 in
    -v) verbose=1 ;;
    -m) mode=$2; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
  shift
done
if [ $# -eq 0 ] || [ $(($# % 2)) -ne 0 ]; then
  echo "usage: replace-file.sh [-v] [-m MODE] [--] SOURCE DEST [SOURCE DEST]..." >&2
  exit 2
fi

# A file-size limit then fails the write (EFBIG, reported below) instead of
# killing the copy half-way; the ignored signal stays ignored in cp.
trap '' XFSZ
tmp='' pid='' dest='' errs=''
stop() {
  # Waited for, so that it cannot make the file again once removed.
  [ -z "$pid" ] || { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; } || :
  [ -z "$tmp" ] || rm -f -- "$tmp"
  [ -z "$errs" ] || rm -f -- "$errs"
}
fail() {
  echo "replace-file: $dest: $1" >&2
  stop
  exit 1
}
for sig in INT TERM HUP; do
  # shellcheck disable=SC2064 # the signal's name is fixed now
  trap "echo \"replace-file: \${dest:-(no file yet)}: stopped by SIG$sig\" >&2; stop; exit 1" "$sig"
done
errs=$(mktemp) || { errs=''; fail "cannot make a temporary file for error messages"; }
# Temporary files are made by this script, never taken over: noclobber.
set -C

# reason: the last line of a tool's error message, after its last ": ".
reason() { r=$(tail -n 1 -- "$errs"); echo "${r##*: }"; }
# run COMMAND...: runs it in the background and waits, so that a signal stops
# the copy at once rather than when the command ends.
run() {
  "$@" 2>|"$errs" &
  pid=$!
  if wait "$pid"; then pid=''; else pid=''; fail "$(reason)"; fi
}
own_umask=$(umask)
[ -z "$mode" ] || mode_umask=$(printf %o $((~0$mode & 0777)))

while [ $# -gt 0 ]; do
  src=$1 dest=$2
  shift 2
  [ -z "$verbose" ] || echo "-- Installing: $dest"
  if [ -e "$dest" ] && [ ! -f "$dest" ] && [ ! -d "$dest" ]; then
    run sh -c 'cat -- "$1" >"$2"' sh "$src" "$dest"
    continue
  fi
  target=$dest
  if [ -L "$dest" ]; then
    target=$(readlink -f -- "$dest") || fail "cannot follow the link"
  fi
  [ ! -d "$target" ] || fail "is a folder"
  [ -r "$src" ] || fail "cannot read $src"
  new_mode=$mode new_umask=${mode_umask:-$own_umask}
  if [ -z "$new_mode" ] && [ -e "$target" ]; then
    new_mode=$(stat -L -c %a -- "$target")
    new_umask=$(printf %o $((~0$new_mode & 0777)))
  fi
  case $target in */*) dir=${target%/*} ;; *) dir=. ;; esac
  tmp="$dir/.${target##*/}.$$.tmp"
  # A hidden name ending in .tmp is not mistaken for a plug-in or a sound.
  umask "$new_umask"
  if ! true 2>|"$errs" >"$tmp"; then
    tmp=''
    fail "$(reason)"
  fi
  umask "$own_umask"
  run cp -- "$src" "$tmp"
  # The umask above gives the read and write bits; execute and others need chmod.
  [ -z "$new_mode" ] || [ $((0$new_mode & ~0666)) -eq 0 ] || run chmod "$new_mode" "$tmp"
  run mv -fT -- "$tmp" "$target"
  tmp=''
done
rm -f -- "$errs"
