#!/usr/bin/env bash
# Without the model file, and then without the whole ./Data/ folder, the window shows only the
# black background and the program keeps running, having named on standard error what it could
# not open and why. Without the model the texture is written all the same; without the folder
# one more error line names the texture's file, and Space still works.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

for missing in model folder; do
  prepareWorkDir
  if [ "$missing" = model ]; then rm "$workDir/Data/uvmappedvorbel.obj"; else rm -r "$workDir/Data"; fi
  startApp
  window=$(findWindow)
  waitForText "$workDir/stderr.txt" 'quillmere: cannot open the model "./Data/uvmappedvorbel.obj"'
  shot black
  [ "$(litFraction "$workDir/black.png")" = 0 ] || fail "something is drawn without the $missing"
  if [ "$missing" = model ]; then
    [ -f "$workDir/Data/example0.bmp" ] || fail "the texture was not written"
    grep -qxF 'quillmere: cannot open the model "./Data/uvmappedvorbel.obj": No such file or directory; the window stays empty' \
      "$workDir/stderr.txt" || fail "no error line naming the model and the reason"
    [ "$(grep -vc '^quillmere: texture seed ' "$workDir/stderr.txt")" = 1 ] || fail "more errors than the missing model"
  else
    grep -qF '"./Data/example0.bmp"' "$workDir/stderr.txt" || fail "no error line for the texture"
    [ "$(grep -vc '^quillmere: texture seed ' "$workDir/stderr.txt")" = 2 ] ||
      fail "expected one error line for the texture and one for the model"
    pressKey "$window" space
    waitForCount "$workDir/stderr.txt" "./Data/example0.bmp" 2
  fi
  expectRunning "the program ended without the $missing"
  quitWithEscape
done
echo "PASS missing_data_e2e"
