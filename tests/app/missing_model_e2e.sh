#!/usr/bin/env bash
# Without the model file the window shows only the black background and the program keeps
# running, having named the file and the reason on standard error; the texture is written all
# the same.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

rm -f "$workDir/Data/uvmappedvorbel.obj"
startApp
window=$(findWindow)
waitForText "$workDir/stdout.txt" "numColors = "
sleep 1
[ -f "$workDir/Data/example0.bmp" ] || fail "the texture was not written"
screenshot "$window" "$workDir/black.png"
[ "$(litFraction "$workDir/black.png")" = 0 ] || fail "something is drawn without a model"
kill -0 "$appPid" 2>/dev/null || fail "the program ended"
grep -qxF 'Error: cannot open the model "./Data/uvmappedvorbel.obj": No such file or directory; the window stays empty' \
  "$workDir/stderr.txt" || fail "no error line naming the model and the reason"

pressKey "$window" Escape
waitForExit 30
[ "$exitStatus" = 0 ] || fail "exit status $exitStatus after Escape"
echo "PASS missing_model_e2e"
