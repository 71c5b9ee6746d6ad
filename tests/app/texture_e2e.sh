#!/usr/bin/env bash
# Start-up writes the texture with its five console lines before anything else; Space makes a
# new one, rewriting the file and printing a new block; Escape exits with status 0.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

startApp
window=$(findWindow)
waitForText "$workDir/stdout.txt" "numColors = "

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
first=$(md5sum <"$texture")

# Every run draws a fresh seed, so a press within the same second makes a new texture too.
pressKey "$window" space
waitForCount "$workDir/stdout.txt" "Creating 1 texture(s)..." 2
waitForCount "$workDir/stdout.txt" "numColors = " 2
[ "$(ls "$workDir/Data" | grep -c '^example')" = 1 ] || fail "Space wrote more than one texture file"
second=$(md5sum <"$texture")
[ "$first" != "$second" ] || fail "Space did not make a new texture"

quitWithEscape
echo "PASS texture_e2e"
