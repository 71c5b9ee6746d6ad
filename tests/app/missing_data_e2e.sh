#!/usr/bin/env bash
# Without a ./Data/ folder the texture cannot be written: one clear error line names the file
# (another names the model that is gone with the folder), and the program still opens its
# (black) window, survives Space, and exits on Escape.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

rm -rf "$workDir/Data"
startApp
window=$(findWindow)
waitForText "$workDir/stderr.txt" "./Data/example0.bmp"
waitForText "$workDir/stderr.txt" 'Error: cannot open the model "./Data/uvmappedvorbel.obj"'
[ "$(grep -c '^Error' "$workDir/stderr.txt")" = 2 ] ||
  fail "expected one error line for the texture and one for the model"

sleep 0.5
screenshot "$window" "$workDir/black.png"
[ "$(litFraction "$workDir/black.png")" = 0 ] || fail "the window is not plain black"

pressKey "$window" space
waitForCount "$workDir/stderr.txt" "./Data/example0.bmp" 2
kill -0 "$appPid" 2>/dev/null || fail "Space ended the program"

pressKey "$window" Escape
waitForExit 30
[ "$exitStatus" = 0 ] || fail "exit status $exitStatus after Escape"
echo "PASS missing_data_e2e"
