#!/usr/bin/env bash
# The reading libraries need no OpenGL: a program made of every object of model_reading and
# image_decoding names no OpenGL library and no gl* function (GLU's tessellator, which needs no
# context, is the one GL-family library allowed), and it reads the data set's model with its
# textures.
#   reading_without_gl_test.sh <reading_without_gl executable> <source dir>
set -euo pipefail
program=$1
sourceDir=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

needed=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
echo "$needed" | grep -E '^lib(GL|OpenGL|GLX|EGL|glut)[.]' &&
  fail "the reading libraries need an OpenGL library"
undefined=$(nm -D --undefined-only "$program" | awk '{print $NF}')
echo "$undefined" | grep -E '^(gl[A-Z]|glX|egl|glut)' &&
  fail "the reading libraries call OpenGL"
echo "$undefined" | grep -qE '^gluTess' || fail "the check saw no GLU call: is PrepareDrawing linked?"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$sourceDir/Data" "$work/Data"
# The data set's model names the generated texture; any picture will do here.
cp "$work/Data/vorbel_olho.bmp" "$work/Data/example0.bmp"
cd "$work"
"$program" ./Data/uvmappedvorbel.obj >stdout.txt 2>stderr.txt || fail "the model did not read: $(cat stderr.txt)"
grep -qE '^reading_without_gl: [1-9][0-9]* meshes, [1-9][0-9]* textures decoded$' stderr.txt ||
  fail "unexpected result: $(cat stderr.txt)"
grep -q 'carregou bmp' stdout.txt || fail "no texture was announced"
echo "reading without OpenGL: $(tail -n1 stderr.txt)"
