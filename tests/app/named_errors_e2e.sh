#!/usr/bin/env bash
# What cannot be read is named on standard error while the viewer keeps running: a material
# library that is missing, a texture that does not decode (with the reader's reason), and the
# model load that then fails; the specified console lines stay as they are.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

rm "$workDir/Data/vorbel_details.mtl"
head -c 30 "$sourceDir/Data/vorbel_olho.bmp" >"$workDir/Data/vorbel_olho.bmp"
startApp
window=$(findWindow)
waitForText "$workDir/stderr.txt" "did not load"
errors=$workDir/errors.txt
grep -v '^quillmere: texture seed ' "$workDir/stderr.txt" >"$errors"
[ "$(sed -n 1p "$errors")" = 'quillmere: ./Data/uvmappedvorbel.obj:4: cannot open the material library "./Data/vorbel_details.mtl"' ] ||
  fail "the missing library is not named first, with the line that names it"
sed -n 2p "$errors" | grep -qE '^quillmere: cannot load the texture "\./Data/vorbel_olho\.bmp": .+' ||
  fail "the broken texture is not named with a reason"
sed -n 2p "$errors" | grep -qE 'ferror|try ignoring' && fail "the texture's reason is not what happened"
[ "$(sed -n 3p "$errors")" = 'quillmere: the model "./Data/uvmappedvorbel.obj" did not load (see the lines above); the window stays empty' ] ||
  fail "the failed load is not reported"
[ "$(wc -l <"$errors")" = 3 ] || fail "unexpected error lines"
grep -qxF "Erro na leitura do arquivo de materiais!" "$workDir/stdout.txt" ||
  fail "the specified console line for the library is gone"
grep -qxF "carregou bmp" "$workDir/stdout.txt" || fail "the specified texture line is gone"
sleep 0.5
expectRunning "the program ended"

quitWithEscape
echo "PASS named_errors_e2e"
