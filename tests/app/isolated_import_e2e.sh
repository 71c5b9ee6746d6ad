#!/usr/bin/env bash
# Files that other readers choke on: a PLY whose faces are triangle strips opens with every
# triangle (assimp alone reads one) and is read again on Space; a PLY cut inside its header, on
# which assimp loops forever, ends the program within seconds with status 2 and one named line.
# --help names the time an import may take.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

(unset DISPLAY; cd "$workDir" && "$quillmere" --help >help.txt) || fail "--help did not exit 0"
grep -qF "takes more than 20 s to read" "$workDir/help.txt" || fail "--help names no time limit"

# a 1 x 2 rectangle as one strip of four triangles
printf 'ply\nformat ascii 1.0\nelement vertex 6\nproperty float x\nproperty float y\nproperty float z\nelement tristrips 1\nproperty list int int vertex_indices\nend_header\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 2 0\n1 2 0\n6 0 1 2 3 4 5\n' \
  >"$workDir/strip.ply"
summary="PLY model: 1 mesh, 6 vertices, 4 faces, 0 materials, 0 textures"
startApp --seed 7 strip.ply
window=$(findWindow "Quillmere - strip.ply")
waitForText "$workDir/stdout.txt" "$summary"
pressKey "$window" space
waitForCount "$workDir/stdout.txt" "$summary" 2
quitWithEscape
[ ! -s "$workDir/stderr.txt" ] || [ "$(grep -c '' "$workDir/stderr.txt")" = \
  "$(grep -c '^quillmere: ' "$workDir/stderr.txt")" ] ||
  fail "standard error holds lines that are not the viewer's"

printf 'ply\nformat ascii 1.0\nelement vertex 8\nproperty float x\nprop' >"$workDir/cut.ply"
startApp cut.ply
waitForExit 15
[ "$exitStatus" = 2 ] || fail "exit status $exitStatus for a PLY file cut inside its header"
[ "$(grep -c '' "$workDir/stderr.txt")" = 1 ] || fail "not one line on standard error"
grep -qxF 'quillmere: cannot read the model "cut.ply": the PLY header has no end_header line' \
  "$workDir/stderr.txt" || fail "the cut header is not named"
echo "PASS isolated_import_e2e"
