#!/usr/bin/env bash
# Idle means idle: a paused viewer sleeps until something changes (under 5 % of a core), yet
# redraws for a key, a wheel notch, a drag and a resize, resumes with '.', and still ends on
# SIGTERM.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

# cpuShare SECONDS: the share of one core that the program used over that many seconds.
cpuShare() {
  local before after hz
  hz=$(getconf CLK_TCK)
  before=$(cpuTicks)
  sleep "$1"
  after=$(cpuTicks)
  awk -v t=$((after - before)) -v hz="$hz" -v s="$1" 'BEGIN { printf "%.3f\n", t / hz / s }'
}

startLoaded --seed 9 "$sourceDir/tests/data/model/trefoil-knot-no-normals.obj"
spinning=$(cpuShare 2)
pressKey "$window" period
sleep 1
paused=$(cpuShare 4)
atLeast 0.05 "$paused" || fail "a paused viewer used $paused of a core (spinning: $spinning)"
# However cheap the frames, drawing them is what costs: pausing must stop it.
atLeast "$spinning" "$(awk -v p="$paused" 'BEGIN { print 3 * p }')" ||
  fail "pausing did not stop the drawing ($spinning of a core spinning, $paused paused)"

shot still 0.3
# 'w' draws wires: the change shows although nothing spins.
pressKey "$window" w
shot wire
sameImage "$workDir/still.png" "$workDir/wire.png" && fail "a key while paused drew nothing"
xdotool mousemove --window "$window" 200 200 click 5
shot wheeled
sameImage "$workDir/wire.png" "$workDir/wheeled.png" && fail "the wheel while paused drew nothing"
drag "$window" 1 200 200 260 200
shot dragged
sameImage "$workDir/wheeled.png" "$workDir/dragged.png" && fail "a drag while paused drew nothing"
shot dragged-later
sameImage "$workDir/dragged.png" "$workDir/dragged-later.png" || fail "the paused model moved"
atLeast 0.05 "$(cpuShare 2)" || fail "the viewer stayed busy after the drag"
# A resized window is drawn anew at its new size.
xdotool windowsize "$window" 300 400
shot resized
read -r width _ <<<"$(identify -format '%w %h' "$workDir/resized.png")"
[ "$width" -ge 299 ] && [ "$width" -le 300 ] || fail "the window was not resized ($width wide)"
read -r count _ <<<"$(modelStats "$workDir/resized.png")"
[ "$count" -ge 5000 ] || fail "the resized window was not drawn ($count model pixels)"

pressKey "$window" period
shot turning
sameImage "$workDir/dragged-later.png" "$workDir/turning.png" && fail "'.' did not resume the spin"
pressKey "$window" period
sleep 0.5
kill -TERM "$appPid"
waitForExit 10
[ "$exitStatus" = 0 ] || fail "SIGTERM while paused gave status $exitStatus"
echo "PASS idle_e2e (paused $paused of a core, spinning $spinning)"
