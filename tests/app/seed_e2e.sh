#!/usr/bin/env bash
# Two Space presses within one second make two different textures from two different seeds, each
# named on standard error and kept with 'k'; --seed with a kept texture's seed makes the same file
# again, byte for byte.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

startLoaded
pressKey "$window" space k space k
waitForCount "$workDir/stderr.txt" "texture kept as " 2

mapfile -t seeds < <(sed -n 's/^texture seed \([0-9]*\): quillmere --seed \1 makes it again$/\1/p' \
  "$workDir/stderr.txt")
[ "${#seeds[@]}" = 3 ] || fail "expected three seed lines, found ${#seeds[@]}"
[ "$(printf '%s\n' "${seeds[@]}" | sort -u | wc -l)" = 3 ] || fail "seeds repeat: ${seeds[*]}"
first=$workDir/Data/texture-${seeds[1]}.bmp
second=$workDir/Data/texture-${seeds[2]}.bmp
grep -qxF "texture kept as ./Data/texture-${seeds[1]}.bmp" "$workDir/stderr.txt" ||
  fail "'k' did not name the kept file"
[ -f "$first" ] && [ -f "$second" ] || fail "the kept textures are missing"
cmp -s "$first" "$second" && fail "two presses made the same texture"
cmp -s "$second" "$workDir/Data/example0.bmp" || fail "the kept file is not the texture on show"
quitWithEscape

rm "$workDir/Data/example0.bmp"
startLoaded --seed "${seeds[1]}"
[ "$(head -n1 "$workDir/stderr.txt")" = "texture seed ${seeds[1]}: quillmere --seed ${seeds[1]} makes it again" ] ||
  fail "the seeded run does not report its seed first"
cmp -s "$first" "$workDir/Data/example0.bmp" || fail "--seed ${seeds[1]} made a different texture"
quitWithEscape
echo "PASS seed_e2e"
