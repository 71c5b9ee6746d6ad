#!/usr/bin/env bash
# The lit, textured model spins in the window and follows the mouse; Space rewrites the texture,
# reloads the model and changes the picture.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

startLoaded
grep -qF "*** Objeto: ./Data/uvmappedvorbel.obj" "$workDir/stdout.txt" || fail "no model load report"
shot a 1
lit=$(litFraction "$workDir/a.png")
atLeast "$lit" 0.5 || fail "only $lit of the centre shows the model"
colours=$(colourCount "$workDir/a.png")
atLeast "$colours" 200 || fail "only $colours colours in the centre: not a textured, lit model"

# It spins: a later frame differs.
shot b
sameImage "$workDir/a.png" "$workDir/b.png" && fail "the picture does not change: no spin"

# Left drags turn the model: two drags of 450 pixels downwards turn it 180 degrees about X,
# which puts the feet on top and the antennae below, so its bulk moves up the picture.
upright=$(rowCentroid "$workDir/b.png")
atLeast "$upright" 210 || fail "the upright model's bulk is not in the lower half ($upright)"
drag "$window" 1 200 5 200 455
drag "$window" 1 200 5 200 455
shot flipped
flipped=$(rowCentroid "$workDir/flipped.png")
atLeast "$flipped" 190 && fail "the left drags did not turn the model over ($flipped vs $upright)"
drag "$window" 1 200 455 200 5
drag "$window" 1 200 455 200 5

# Right drag to the left by 300 pixels pans the model 30 units to the right, out of view.
drag "$window" 3 350 200 50 200
shot panned
[ "$(litFraction "$workDir/panned.png")" = 0 ] || fail "the model is still in view after the pan"
# Dragging back restores it.
drag "$window" 3 50 200 350 200
shot back
atLeast "$(litFraction "$workDir/back.png")" 0.5 || fail "the model did not come back"

# Middle drag upwards moves the model away: it covers less of the window.
drag "$window" 2 200 300 200 100
shot far
far=$(litFraction "$workDir/far.png")
atLeast "$far" "$lit" && fail "the model did not move away ($far vs $lit)"
drag "$window" 2 200 100 200 300

# Space: a new texture block, a new load report, a new file and a new picture.
texture="$workDir/Data/example0.bmp"
before=$(md5sum <"$texture")
pressKey "$window" space
waitForCount "$workDir/stdout.txt" "numColors = " 2
waitForCount "$workDir/stdout.txt" "Limites: " 2
[ "$(md5sum <"$texture")" != "$before" ] || fail "Space did not rewrite the texture"
shot c
atLeast "$(litFraction "$workDir/c.png")" 0.3 || fail "no model after Space"

quitWithEscape
echo "PASS model_e2e"
