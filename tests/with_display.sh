#!/usr/bin/env bash
# Runs a command on a private Xvfb display with Mesa's software renderer, so that GL tests
# never depend on (or disturb) the desktop the suite was started from.
set -u
tmp=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfbPid=$!
cleanup() {
  kill "$xvfbPid" 2>/dev/null
  wait "$xvfbPid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT INT TERM
for _ in $(seq 1 100); do
  [ -s "$tmp/display" ] && break
  sleep 0.1
done
if [ ! -s "$tmp/display" ]; then
  echo "with_display.sh: Xvfb did not start" >&2
  cat "$tmp/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$tmp/display")"
export LIBGL_ALWAYS_SOFTWARE=1
"$@"
