#!/usr/bin/env bash
# The texture run alone needs no display: it writes its files byte for byte again from a seed,
# keeps standard output empty with --quiet and ends a bad value or an unwritable file with one
# line and status 2. With the display, --paint shows the texture on a model without texture
# coordinates, and 't' takes it off again; a named model's texture written with --texture-out is
# named where stderr says where the texture goes.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

# runBare ARGS...: the program without any display in the work folder; sets $status.
runBare() {
  (cd "$workDir" && env -u DISPLAY "$quillmere" "$@" >stdout.txt 2>stderr.txt)
  status=$?
}

runBare --texture-only --seed 9
[ "$status" = 0 ] || fail "--texture-only ended with status $status"
[ "$(cat "$workDir/stderr.txt")" = "quillmere: texture seed 9: quillmere --seed 9 makes it again" ] ||
  fail "standard error is not the seed line alone"
[ "$(wc -l <"$workDir/stdout.txt")" = 5 ] || fail "the texture run did not print its five lines"
[ "$(identify -format '%w %h %m' "$workDir/Data/example0.bmp")" = "512 512 BMP3" ] ||
  fail "no 512x512 BMP texture"
mv "$workDir/Data/example0.bmp" "$workDir/first.bmp"
runBare --texture-only --seed 9
cmp -s "$workDir/first.bmp" "$workDir/Data/example0.bmp" || fail "--seed 9 made another texture"

mkdir -p "$workDir/out"
for run in 1 2; do
  runBare --texture-only --quiet --seed 9 --texture-size 64 --seamless \
    --texture-out out/t$run.png --heightmap out/h$run.png
  [ "$status" = 0 ] || fail "run $run ended with status $status"
  [ -s "$workDir/stdout.txt" ] && fail "--quiet printed on standard output"
  runBare --texture-only --quiet --seed 9 --texture-size 64 --texture-out out/t$run.bmp \
    --heightmap out/h$run.ter
done
for file in t.png h.png t.bmp h.ter; do
  cmp -s "$workDir/out/${file/./1.}" "$workDir/out/${file/./2.}" || fail "$file differs between runs"
done
[ "$(ls "$workDir/out" | wc -l)" = 8 ] || fail "stray files: $(ls "$workDir/out")"
pillow=/usr/bin/python3
[ -x "$pillow" ] || pillow=python3
# A 16-bit greyscale file reads as Pillow's 32-bit integer mode (older) or I;16 (newer); its
# levels must reach beyond 8 bits.
[ "$("$pillow" -c 'import sys; from PIL import Image
t, h = Image.open(sys.argv[1]), Image.open(sys.argv[2])
print(t.format, t.mode, *t.size, h.format, h.mode in ("I", "I;16"), *h.size, h.getextrema()[1] > 255)' \
  "$workDir/out/t1.png" "$workDir/out/h1.png")" = "PNG RGB 64 64 PNG True 64 64 True" ] ||
  fail "the PNG files are not 8-bit RGB and 16-bit grey"

# One line each, status 2, nothing on standard output, nothing written.
mkdir -p "$workDir/bare" "$workDir/dir.png"
while IFS='|' read -r folder args message; do
  (cd "$workDir/$folder" && env -u DISPLAY "$quillmere" $args >"$workDir/stdout.txt" 2>"$workDir/stderr.txt")
  status=$?
  [ "$status" = 2 ] || fail "'$args' ended with status $status"
  [ "$(wc -l <"$workDir/stderr.txt")" = 1 ] || fail "'$args' wrote more than one line"
  grep -q "^quillmere: $message" "$workDir/stderr.txt" || fail "'$args' said: $(cat "$workDir/stderr.txt")"
  [ -s "$workDir/stdout.txt" ] && fail "'$args' printed on standard output"
done <<'CASES'
.|--texture-size 15|--texture-size needs a whole number from 16 to 8192, not "15"
.|--texture-size=99999 --texture-only|--texture-size needs
.|--mapping cube|--mapping needs box, cylinder or sphere, not "cube"
.|--texture-only --seed 0|--seed 0 is not a seed .*seeds run from 1 to 4294967295
.|--heightmap h.raw --texture-only|--heightmap writes a .png or .ter file
.|--texture-out nowhere/t.png|cannot write "nowhere/t.png": No such file or directory
.|--texture-only --texture-out dir.png|cannot write "dir.png": Is a directory
bare|--texture-only|cannot write "./Data/example0.bmp": No such file or directory
CASES
[ -z "$(ls "$workDir/bare")" ] || fail "a failed run left files behind"

# A cube without texture coordinates: plain it shows a few shades, painted a texture.
cat >"$workDir/cube.obj" <<'OBJ'
v -1 -1 -1
v 1 -1 -1
v 1 1 -1
v -1 1 -1
v -1 -1 1
v 1 -1 1
v 1 1 1
v -1 1 1
f 5 6 7 8
f 2 1 4 3
f 6 2 3 7
f 1 5 8 4
f 8 7 3 4
f 1 2 6 5
OBJ
# A named model's texture written elsewhere: the line that says where it goes names that file.
runBare --seed 3 --texture-size 16 --texture-out out/named.png --output out/named-picture.png \
  cube.obj
[ "$status" = 0 ] || fail "a picture with --texture-out ended with status $status"
grep -qxF 'quillmere: the texture goes to "out/named.png"' "$workDir/stderr.txt" ||
  fail "with --texture-out, stderr said: $(grep 'texture goes' "$workDir/stderr.txt")"
[ -s "$workDir/out/named.png" ] || fail "--texture-out wrote nothing beside a named model"

for mapping in box cylinder sphere; do
  startLoaded --seed 3 --paint --mapping $mapping cube.obj
  pressKey "$window" period
  shot painted-$mapping
  pressKey "$window" t
  shot plain-$mapping
  quitWithEscape
  painted=$(colourCount "$workDir/painted-$mapping.png")
  plain=$(colourCount "$workDir/plain-$mapping.png")
  [ "$painted" -ge 1000 ] || fail "--paint --mapping $mapping shows only $painted colours"
  [ "$plain" -lt 200 ] || fail "'t' left the $mapping texture on ($plain colours)"
done
echo "PASS texture_only_e2e"
