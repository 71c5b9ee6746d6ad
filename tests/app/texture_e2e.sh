#!/usr/bin/env bash
# Start-up writes the texture with its five console lines before anything else. Two Space presses
# within one second rewrite the file from two different seeds, each named on standard error and
# kept with 'k'; --seed with a kept texture's seed makes the same file again, byte for byte.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

startLoaded
head -n 5 "$workDir/stdout.txt" >"$workDir/head.txt"
sed -n 1p "$workDir/head.txt" | grep -qx 'Creating 1 texture(s)\.\.\.' || fail "line 1 is not the Creating line"
sed -n 2p "$workDir/head.txt" | grep -qxE 'Octave: [1-6]' || fail "line 2 is not an octave count 1-6"
sed -n 3p "$workDir/head.txt" | grep -qxE 'Frequency: [12](\.[0-9]+)?' || fail "line 3 is not a frequency in [1, 3)"
sed -n 4p "$workDir/head.txt" | grep -qxE 'Persistence: 0(\.[0-9]+)?' || fail "line 4 is not a persistence in [0, 1)"
sed -n 5p "$workDir/head.txt" | grep -qxE 'numColors = ([2-9]|1[0-9]|2[0-4])' || fail "line 5 is not numColors 2-24"

texture="$workDir/Data/example0.bmp"
[ -f "$texture" ] || fail "no ./Data/example0.bmp"
[ "$(identify -format '%w %h %m' "$texture")" = "512 512 BMP3" ] || fail "texture is not a 512x512 BMP"
[ "$(stat -c %s "$texture")" = $((54 + 512 * 512 * 3)) ] || fail "texture is not 24-bit uncompressed"
cp "$texture" "$workDir/start.bmp"

pressKey "$window" space k space k
waitForCount "$workDir/stderr.txt" "texture kept as " 2
waitForCount "$workDir/stdout.txt" "numColors = " 3
[ "$(ls "$workDir/Data" | grep -c '^example')" = 1 ] || fail "Space wrote more than one texture file"
mapfile -t seeds < <(sed -n 's/^quillmere: texture seed \([0-9]*\): quillmere --seed \1 makes it again$/\1/p' \
  "$workDir/stderr.txt")
[ "${#seeds[@]}" = 3 ] || fail "expected three seed lines, found ${#seeds[@]}"
[ "$(printf '%s\n' "${seeds[@]}" | sort -u | wc -l)" = 3 ] || fail "seeds repeat: ${seeds[*]}"
first=$workDir/Data/texture-${seeds[1]}.bmp
second=$workDir/Data/texture-${seeds[2]}.bmp
grep -qxF "quillmere: texture kept as ./Data/texture-${seeds[1]}.bmp" "$workDir/stderr.txt" ||
  fail "'k' did not name the kept file"
[ -f "$first" ] && [ -f "$second" ] || fail "the kept textures are missing"
cmp -s "$workDir/start.bmp" "$first" && fail "Space did not make a new texture"
cmp -s "$first" "$second" && fail "two presses made the same texture"
cmp -s "$second" "$texture" || fail "the kept file is not the texture on show"
quitWithEscape

rm "$texture"
startLoaded --seed "${seeds[1]}"
[ "$(head -n1 "$workDir/stderr.txt")" = "quillmere: texture seed ${seeds[1]}: quillmere --seed ${seeds[1]} makes it again" ] ||
  fail "the seeded run does not report its seed first"
cmp -s "$first" "$texture" || fail "--seed ${seeds[1]} made a different texture"
quitWithEscape
echo "PASS texture_e2e"
