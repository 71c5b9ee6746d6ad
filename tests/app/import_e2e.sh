#!/usr/bin/env bash
# A PLY model named on the command line opens through assimp: one summary line on standard
# output in place of the OBJ reader's transcript, the model drawn and framed, Space reading it
# again; a glTF file without its picture opens and names it; a file that assimp cannot read
# ends the program with status 2 before any window, with assimp's reason on standard error.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

summary="PLY model: 1 mesh, 8 vertices, 6 faces, 1 material, 0 textures"
cp "$sourceDir/tests/data/model/formats/cube-colors-binary.ply" "$workDir/cube.ply"
startApp --seed 7 cube.ply
window=$(findWindow "Quillmere - cube.ply")
waitForText "$workDir/stdout.txt" "$summary"
grep -qE 'Objeto|Limites|carregou' "$workDir/stdout.txt" && fail "the OBJ reader's transcript appeared"
shot cube 1
atLeast "$(litFraction "$workDir/cube.png")" 0.05 || fail "the cube is not drawn in the middle"
pressKey "$window" space
waitForCount "$workDir/stdout.txt" "$summary" 2
shot again 1
atLeast "$(litFraction "$workDir/again.png")" 0.05 || fail "the cube is gone after Space"
quitWithEscape
[ "$(grep -c '' "$workDir/stderr.txt")" = "$(grep -c '^quillmere: ' "$workDir/stderr.txt")" ] ||
  fail "standard error holds lines that are not the viewer's"

# a glTF file whose picture was not shipped still opens, the picture named
formats=$sourceDir/tests/data/model/formats
cp "$formats/textured-quad.gltf" "$formats/textured-quad.bin" "$workDir/"
startApp --seed 7 textured-quad.gltf
window=$(findWindow "Quillmere - textured-quad.gltf")
waitForText "$workDir/stdout.txt" "glTF model: 1 mesh, 4 vertices, 2 faces, 2 materials, 1 texture"
grep -qF 'quillmere: cannot load the texture "checker.png": ' "$workDir/stderr.txt" ||
  fail "the missing picture is not named"
expectRunning "the viewer ended over a missing picture"
quitWithEscape

printf 'ply\nformat nonsense 9\n' >"$workDir/broken.ply"
startApp broken.ply
waitForExit 30
[ "$exitStatus" = 2 ] || fail "exit status $exitStatus for a file assimp cannot read"
[ "$(grep -c '' "$workDir/stderr.txt")" = 1 ] || fail "not one line on standard error"
grep -qE '^quillmere: cannot read the model "broken\.ply": .+' "$workDir/stderr.txt" ||
  fail "the unreadable file is not named with a reason"
[ ! -s "$workDir/stdout.txt" ] || fail "the texture run started before the refusal"
echo "PASS import_e2e"
