#!/usr/bin/env bash
# A model named on the command line is shown from every side: a knot without normals (and with
# no ambient colour in its material) stays shaded, not a flat silhouette, in screenshots all
# through one turn on the grey background; --size sets the window, and in a narrow one the framed
# model stays whole across its width.
source "$(dirname "$0")/../e2e/lib.sh" "$@"
knot="$sourceDir/tests/data/model/trefoil-knot-no-normals.obj"

# checkShaded NAME: the model fills part of the window and its luminance spreads by 25 or more.
checkShaded() {
  local count spread left top right bottom
  read -r count spread left top right bottom <<<"$(modelStats "$workDir/$1.png")"
  [ "$count" -ge 2000 ] || fail "$1 shows only $count model pixels"
  atLeast "$spread" 25 || fail "$1 is not shaded (luminance spread $spread)"
}

startLoaded --seed 5 "$knot"
# 0.5 degrees a frame at 60 frames a second: a turn in 12 s, a shot every 1.5 s.
for n in 1 2 3 4 5 6 7 8; do
  shot "turn-$n" 1.5
  checkShaded "turn-$n"
done
# Turned with the left button to be seen from above: still shaded.
drag "$window" 1 200 200 200 650
shot "pole" 1
checkShaded pole
quitWithEscape

# A narrow window (-geometry loses to --size): the knot is whole across the width.
startLoaded --seed 5 -geometry 500x500 --size 240x400 "$knot"
shot narrow 1
read -r width height <<<"$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h }')"
[ "$width x $height" = "240 x 400" ] || fail "--size 240x400 gave a $width x $height window"
read -r count spread left top right bottom <<<"$(modelStats "$workDir/narrow.png")"
[ $((left > 2 && right < 236)) = 1 ] || fail "the narrow window cuts the model ($left to $right)"
[ $((right - left > 100)) = 1 ] || fail "the model is lost in the narrow window ($left to $right)"
checkShaded narrow
quitWithEscape
echo "PASS shading_e2e"
