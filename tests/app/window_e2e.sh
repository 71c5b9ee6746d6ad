#!/usr/bin/env bash
# The real program under Xvfb: window title and size, a screenshot, unknown options warned about
# and otherwise ignored, keys without a use ignored, Escape ends it with status 0.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

startApp --not-an-option --nor-this=1
window=$(findWindow)
for option in --not-an-option --nor-this=1; do
  grep -qF -- "$option" "$workDir/stderr.txt" || fail "no warning for the unknown option $option"
done

read -r width height < <(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
[ "$width" = 400 ] && [ "$height" = 400 ] || fail "window is ${width}x${height}, not 400x400"

shot window
read -r shotW shotH < <(identify -format '%w %h\n' "$workDir/window.png")
# Without a window manager the window sits at (-1, -1), so the grab loses one row and column.
[ "$shotW" -ge 399 ] && [ "$shotH" -ge 399 ] || fail "screenshot is ${shotW}x${shotH}"

# Keys that have no use do nothing.
pressKey "$window" a A
sleep 0.5
expectRunning "an ordinary key ended the program"
quitWithEscape
echo "PASS window_e2e"
