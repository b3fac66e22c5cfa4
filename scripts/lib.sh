# Sourced by the scripts that build. Ninja does not expect two builds of one
# folder at once (setup.sh and test.sh started together), so each script holds
# a lock on the folder while it configures, builds and tests it.

# lock_build DIR: makes DIR if needed and waits, saying so, until no other
# script holds it; the lock lasts until unlock_build, the next lock_build, or
# the end of this shell and of the commands it started.
lock_build() {
  unlock_build
  mkdir -p -- "$1"
  exec {amber_build_lock}>>"$1/.build.lock"
  if ! flock -n "$amber_build_lock"; then
    echo "waiting for another build of $1"
    flock "$amber_build_lock"
  fi
}
unlock_build() {
  [ -z "${amber_build_lock:-}" ] || exec {amber_build_lock}>&-
  amber_build_lock=
}
