#!/usr/bin/env bash
# Without a ./Data/ folder the texture cannot be written: one clear error line names the file,
# and the program still opens its (black) window, survives Space, and exits on Escape.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

rm -rf "$workDir/Data"
startApp
window=$(findWindow)
waitForText "$workDir/stderr.txt" "./Data/example0.bmp"
[ "$(grep -c '^Error' "$workDir/stderr.txt")" = 1 ] || fail "expected exactly one error line"

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
