#!/usr/bin/env bash
# One virtual display for a whole run of the Windows tests:
#   test-display.sh start DISPLAY PIDFILE   starts Xvfb on DISPLAY (":97")
#   test-display.sh stop PIDFILE            stops it
# Every Wine program of the run shares it. Wine binds its desktop to the
# display of the first windowed program of a prefix, so a program started
# without a display would leave later windows nowhere to appear.
set -euo pipefail
case "${1:-}" in
  start)
    display=$2 pidfile=$3
    number=${display#:}
    if [ -e "/tmp/.X$number-lock" ] && kill -0 "$(tr -d ' ' <"/tmp/.X$number-lock")" 2>/dev/null; then
      echo "test-display: display $display is in use by another X server" >&2
      exit 1
    fi
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    echo $! >"$pidfile"
    for _ in $(seq 100); do
      xdpyinfo -display "$display" >/dev/null 2>&1 && exit 0
      sleep 0.1
    done
    echo "test-display: Xvfb did not start on $display" >&2
    exit 1
    ;;
  stop)
    pidfile=$2
    [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null || true
    rm -f "$pidfile"
    ;;
  *)
    echo "usage: test-display.sh start DISPLAY PIDFILE | stop PIDFILE" >&2
    exit 2
    ;;
esac
