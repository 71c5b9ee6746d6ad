#!/usr/bin/env bash
# The keys beyond Space and Escape and the wheel: '.' pauses the spin, drags and wheel notches
# move the view and 'r' puts it back exactly, the wheel never goes through the model, 'w' and
# 'n' change the picture and back, and 'p' saves the window as a 400 x 400 PNG.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

startLoaded
# X reports the wheel as buttons 4 (towards the model) and 5 (away).
wheel() { xdotool mousemove --window "$window" 200 200 click --repeat "$2" --delay 30 "$1"; }

pressKey "$window" period r
shot home
shot still
sameImage "$workDir/home.png" "$workDir/still.png" || fail "'.' did not pause the spin"

drag "$window" 1 200 200 260 230
drag "$window" 3 200 200 150 180
wheel 4 3
shot moved
sameImage "$workDir/home.png" "$workDir/moved.png" && fail "drags and the wheel moved nothing"
pressKey "$window" r
shot back
sameImage "$workDir/home.png" "$workDir/back.png" || fail "'r' did not restore the view"
centre=$(rowCentroid "$workDir/home.png")

# Nearer notch by notch: the model grows, and a dozen notches stop in front of it, not inside.
wheel 4 2
shot near
atLeast "$(litFraction "$workDir/near.png")" "$(litFraction "$workDir/home.png")" ||
  fail "the wheel did not bring the model nearer"
wheel 4 12
shot nearest
atLeast "$(litFraction "$workDir/nearest.png")" 0.9 || fail "the wheel went into the model"
wheel 5 25
shot far
atLeast "$(litFraction "$workDir/far.png")" 0.001 || fail "the model left the view going back"
atLeast 0.2 "$(litFraction "$workDir/far.png")" || fail "the wheel did not move the model away"
# Normals are lines of 5 units from every corner: seen from afar they stay short on screen and
# cheap to draw.
pressKey "$window" n
for _ in $(seq 1 25); do
  shot normals
  sameImage "$workDir/far.png" "$workDir/normals.png" || break
done
sameImage "$workDir/far.png" "$workDir/normals.png" && fail "'n' did not show normals"
pressKey "$window" n c c
for _ in $(seq 1 25); do
  shot plain
  sameImage "$workDir/far.png" "$workDir/plain.png" && break
done
sameImage "$workDir/far.png" "$workDir/plain.png" || fail "'n' and 'c' twice did not come back"
pressKey "$window" r

# 'w' cycles textured, wire and solid, and comes back to the same picture.
for mode in wire solid textured; do
  pressKey "$window" w
  shot "$mode"
done
sameImage "$workDir/home.png" "$workDir/wire.png" && fail "'w' did not draw wires"
sameImage "$workDir/wire.png" "$workDir/solid.png" && fail "the second 'w' did not draw solid"
sameImage "$workDir/home.png" "$workDir/textured.png" || fail "three 'w' did not come back"

pressKey "$window" p
waitForText "$workDir/stderr.txt" "screenshot saved as screenshot-1.png" 30
# Debian's own Python carries Pillow; a python3 earlier on the PATH may not.
pillow=/usr/bin/python3
[ -x "$pillow" ] || pillow=python3
size=$("$pillow" -c 'import sys; from PIL import Image; print(*Image.open(sys.argv[1]).size)' \
  "$workDir/screenshot-1.png") || fail "Pillow cannot open the screenshot"
[ "$size" = "400 400" ] || fail "the screenshot is $size"
# Rows run top to bottom, as on the screen (the grab may lose the window's first row).
shotCentre=$(rowCentroid "$workDir/screenshot-1.png")
awk -v a="$shotCentre" -v b="$centre" 'BEGIN { exit !(a - b < 3 && b - a < 3) }' ||
  fail "the screenshot's model centre is at row $shotCentre, the window's at $centre"

pressKey "$window" period
shot turning
sameImage "$workDir/home.png" "$workDir/turning.png" && fail "'.' did not resume the spin"
quitWithEscape
echo "PASS keys_e2e"
