#!/usr/bin/env bash
# Files are judged by content before any window opens: a picture renamed .obj, a broken model
# of another format, an empty file and random bytes are refused with one line on stderr and status 2. An
# OBJ file with a byte-order mark and Latin-1 comments opens, and with its standard output
# piped into `head -3` the viewer survives the closed pipe through a Space reload.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

files=$workDir/files
mkdir -p "$files"
cp "$sourceDir/tests/data/image/tex-grey-5x3.png" "$files/picture.obj"
printf 'ply\nformat ascii 1.0\nelement vertex 0\nend_header\n' >"$files/mesh.obj"
: >"$files/empty.obj"
head -c 3000 /dev/urandom >"$files/noise.obj"
printf 'v 0 0 0\nf 1 1 1\n' | gzip >"$files/packed.obj"

# refused FILE REASON [VERB]: exit 2, one stderr line naming the file and the reason, nothing
# else. Files of another model format are read (by assimp) and fail there: "cannot read".
refused() {
  local file=$files/$1 verb=${3:-open}
  (cd "$workDir" && exec "$quillmere" "$file" >refused.out 2>refused.err)
  local status=$?
  [ "$status" = 2 ] || fail "$1 gave status $status, not 2"
  [ "$(wc -l <"$workDir/refused.err")" = 1 ] || fail "$1: not one stderr line: $(cat "$workDir/refused.err")"
  grep -qF "quillmere: cannot $verb the model \"$file\": $2" "$workDir/refused.err" ||
    fail "$1: the line does not name the file and '$2': $(cat "$workDir/refused.err")"
  # Nothing ran: no texture, no console output, so no window either.
  [ ! -s "$workDir/refused.out" ] || fail "$1 still ran the viewer"
}
refused picture.obj "a PNG picture, not an OBJ model"
refused mesh.obj "" read
refused empty.obj "an empty file, not an OBJ model"
refused noise.obj "binary data (byte 0x"
refused packed.obj "a gzip archive, not an OBJ model"

# A byte-order mark before the first statement and Latin-1 in the comments are fine.
model=$files/marked.obj
{
  printf '\xef\xbb\xbf# la sph\xe8re, c\xf4t\xe9 gauche\n'
  cat "$sourceDir/tests/data/model/shapes/sphere-no-normals.obj"
} >"$model"
mkfifo "$workDir/pipe"
(cd "$workDir" && exec "$quillmere" --seed 3 "$model" >pipe 2>stderr.txt) &
appPid=$!
head -n 3 <"$workDir/pipe" >"$workDir/head.txt"
window=$(findWindow "Quillmere - marked.obj")
[ "$(wc -l <"$workDir/head.txt")" = 3 ] || fail "head did not get three lines"
waitForText "$workDir/stderr.txt" "texture seed 3"
shot first 1
read -r count _ <<<"$(modelStats "$workDir/first.png")"
[ "$count" -ge 1000 ] || fail "the marked model does not show ($count model pixels)"
# Space writes the texture run's and the loader's lines into the closed pipe.
pressKey "$window" space
waitForCount "$workDir/stderr.txt" "texture seed" 2
sleep 2
expectRunning "a closed standard output ended the viewer"
shot reloaded
read -r count _ <<<"$(modelStats "$workDir/reloaded.png")"
[ "$count" -ge 1000 ] || fail "the model is gone after the reload"
quitWithEscape
echo "PASS model_files_e2e"
