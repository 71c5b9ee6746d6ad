#!/usr/bin/env bash
# Pictures without a window (--output): written with no display at all, a turntable of frames,
# the data set's model as the window shows it, BMP as well as PNG, and every bad path refused
# with one line and status 2, leaving no file behind.
source "$(dirname "$0")/../e2e/lib.sh" "$@"
model="$sourceDir/tests/data/model/layouts/cad-millimetres-far-from-origin.obj"

# picture NAME ARGS...: runs quillmere --output with no display in the work folder; the exit
# status goes to $status, the console to NAME.out / NAME.err.
picture() {
  local name=$1
  shift
  (cd "$workDir" && exec env -u DISPLAY "$quillmere" "$@" >"$name.out" 2>"$name.err")
  status=$?
}
size() { identify -format '%w %h' "$1"; }
corner() { convert "$1" -format '%[pixel:p{0,0}]' info:; }
# expectRefused NAME: status 2, one stderr line from quillmere, nothing made
expectRefused() {
  [ "$status" = 2 ] || fail "$1: status $status, not 2"
  [ "$(wc -l <"$workDir/$1.err")" = 1 ] || fail "$1: not one stderr line: $(cat "$workDir/$1.err")"
  grep -q '^quillmere: ' "$workDir/$1.err" || fail "$1: the line does not start with 'quillmere: '"
  [ ! -s "$workDir/$1.out" ] || fail "$1: the texture run went ahead"
}
noLeftovers() {
  [ -z "$(find "$workDir" -maxdepth 2 -name '*.part' -o -maxdepth 2 -name '.quillmere-probe*')" ] ||
    fail "temporary files left behind: $(find "$workDir" -name '*.part')"
}

# A named model, framed, with no display: the right size, the model drawn.
picture part --seed 3 --size 320x240 --output part.png "$model"
[ "$status" = 0 ] || fail "--output gave status $status"
[ "$(size "$workDir/part.png")" = "320 240" ] || fail "part.png is $(size "$workDir/part.png")"
atLeast "$(litFraction "$workDir/part.png" 320x240+0+0)" 0.06 || fail "the model is not in part.png"
grep -qF "Limites: " "$workDir/part.out" || fail "the model was not loaded"

# The same frame as BMP: Pillow reads it, with the PNG's pixels row for row.
picture part-bmp --seed 3 --size 320x240 --output part.bmp "$model"
[ "$status" = 0 ] || fail "--output part.bmp gave status $status"
# Debian's own Python carries Pillow; a python3 earlier on the PATH may not.
pillow=/usr/bin/python3
[ -x "$pillow" ] || pillow=python3
"$pillow" - "$workDir/part.png" "$workDir/part.bmp" <<'PY' || fail "the BMP does not match the PNG"
import sys
from PIL import Image
png, bmp = (Image.open(p) for p in sys.argv[1:])
assert bmp.format == "BMP" and bmp.mode == "RGB" and bmp.size == (320, 240), (bmp.mode, bmp.size)
assert png.convert("RGB").tobytes() == bmp.tobytes()
PY

# A turntable: exactly four numbered pictures, each a different view, and no plain file.
picture turntable --seed 3 --frames 4 --output turn.png
[ "$status" = 0 ] || fail "--frames 4 gave status $status"
[ "$(cd "$workDir" && ls turn*.png)" = "$(printf 'turn-000.png\nturn-001.png\nturn-002.png\nturn-003.png')" ] ||
  fail "--frames 4 wrote $(cd "$workDir" && ls turn*.png)"
for a in 0 1 2 3; do
  for b in 0 1 2 3; do
    [ "$a" -lt "$b" ] || continue
    ! sameImage "$workDir/turn-00$a.png" "$workDir/turn-00$b.png" || fail "frames $a and $b are the same"
  done
done
# Its first picture is the view without --frames.
picture still --seed 3 --output still.png
sameImage "$workDir/still.png" "$workDir/turn-000.png" || fail "the turn does not start at the still view"

# The data set's model exactly as in the window: paused and reset, the window shows its first
# frame again, and 'p' saves its pixels.
picture data --seed 3 --background 0.2,0.4,0.6 --output data.png
[ "$status" = 0 ] || fail "the data set's picture gave status $status"
case "$(corner "$workDir/data.png")" in
*"51,102,153"*) ;;
*) fail "--background 0.2,0.4,0.6 gave $(corner "$workDir/data.png")" ;;
esac
startLoaded --seed 3 --background 0.2,0.4,0.6
pressKey "$window" period r
sleep 0.5
pressKey "$window" p
waitForText "$workDir/stderr.txt" "screenshot saved as screenshot-1.png" 30
sameImage "$workDir/data.png" "$workDir/screenshot-1.png" ||
  fail "the picture differs from the window in $(compare -metric AE "$workDir/data.png" \
    "$workDir/screenshot-1.png" null: 2>&1) pixels"
quitWithEscape

# Writing with a display: --offscreen ignores it; without it, an unreachable display is no matter.
(cd "$workDir" && "$quillmere" --seed 3 --offscreen --output shown.png >shown.out 2>shown.err) ||
  fail "--offscreen with a display failed: $(cat "$workDir/shown.err")"
sameImage "$workDir/shown.png" "$workDir/still.png" || fail "--offscreen drew another picture"
(cd "$workDir" && DISPLAY=:99999 "$quillmere" --seed 3 --output away.png >away.out 2>away.err) ||
  fail "--output touched the display: $(cat "$workDir/away.err")"

# Nowhere to write: refused before anything is made.
picture nofolder --output no-such-folder/x.png "$model"
expectRefused nofolder
picture nomodel --output x.png no-such-model.obj
expectRefused nomodel
[ ! -e "$workDir/no-such-folder" ] || fail "the missing folder was made"
mkdir "$workDir/taken.png"
picture folder --output taken.png
expectRefused folder
picture proc --output /proc/quillmere.png
expectRefused proc
picture badsize --size 0x10 --output x.png
expectRefused badsize
[ ! -e "$workDir/x.png" ] || fail "a refused run wrote x.png"
noLeftovers

# A long turntable stopped by a signal: status 2, and what is written is whole.
startApp --frames 3600 --output spin.png
for _ in $(seq 1 300); do
  [ -e "$workDir/spin-0001.png" ] && break
  sleep 0.1
done
[ -e "$workDir/spin-0001.png" ] || fail "the turntable wrote no pictures"
kill -TERM "$appPid"
waitForExit 30
[ "$exitStatus" = 2 ] || fail "an interrupted turntable gave status $exitStatus"
grep -q '^quillmere: interrupted after' "$workDir/stderr.txt" || fail "the interruption is not said"
noLeftovers

# No EGL vendor, or EGL without a driver to draw with: one clear line and status 2, no crash.
for setting in __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json LIBGL_DRIVERS_PATH=/nonexistent; do
  (cd "$workDir" && exec env -u DISPLAY "$setting" "$quillmere" --output noegl.png >noegl.out 2>noegl.err)
  status=$?
  expectRefused noegl
  grep -qF "EGL" "$workDir/noegl.err" || fail "with $setting the line does not name EGL"
done
echo "PASS offscreen_e2e"
