# Sourced by the scripts that run the tests: starts a private Xvfb display for
# the window tests, exports DISPLAY and stops the server when the sourcing
# script exits. Without Xvfb, DISPLAY stays as it is (the window tests skip
# when there is none).
xvfb_pid=""
stop_xvfb() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap stop_xvfb EXIT
if command -v Xvfb >/dev/null; then
  fifo=$(mktemp -u) && mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 display_number <"$fifo" || true
  rm -f "$fifo"
  if [ -n "${display_number:-}" ]; then
    export DISPLAY=":$display_number"
    echo "Xvfb on $DISPLAY"
  fi
fi
