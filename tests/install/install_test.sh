#!/usr/bin/env bash
# Installs the built tree into a scratch prefix, moves the prefix elsewhere (nothing may depend on
# where it was installed), and uses it as a user would:
#  - the examples/ project is configured and built against the installed CMake package alone,
#    and its programs run: obj_stats's counts match the files' and picture_size's sizes the
#    pictures', and neither loads an OpenGL library;
#    heightmap's files are the same for a seed and differ between seeds;
#  - a program built with nothing but `pkg-config quillmere-toolkit` writes the same files;
#  - the installed viewer, started in an empty folder without a display, shows the installed
#    data set with this run's texture (written to the cache folder): the picture of a seed is
#    the one the source tree draws from ./Data/ for that seed, and two seeds differ.
# Usage: install_test.sh CMAKE BUILD_DIR SOURCE_DIR WORK_DIR
set -euo pipefail
cmake=$1
buildDir=$2
sourceDir=$3
workDir=$4

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

rm -rf "$workDir"
mkdir -p "$workDir"
"$cmake" --install "$buildDir" --prefix "$workDir/installed" >"$workDir/install.log" ||
  fail "cmake --install failed (log: $workDir/install.log)"
mv "$workDir/installed" "$workDir/moved"
prefix=$workDir/moved

for file in bin/quillmere share/quillmere/uvmappedvorbel.obj share/quillmere/vorbel.mtl \
  share/quillmere/vorbel_details.mtl share/quillmere/vorbel_olho.bmp \
  share/applications/quillmere.desktop share/man/man1/quillmere.1.gz \
  include/quillmere/toolkit/toolkit.h include/quillmere/model/reading.h \
  include/quillmere/image/bitmap.h \
  lib/cmake/Quillmere/QuillmereConfig.cmake lib/pkgconfig/quillmere-toolkit.pc; do
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done
# What runs leave in ./Data/ is no part of the data set.
if ls "$prefix/share/quillmere" | grep -qE '^(example|texture-)'; then
  fail "a generated texture was installed: $(ls "$prefix/share/quillmere")"
fi
zcat "$prefix/share/man/man1/quillmere.1.gz" | grep -q '^\.SH OPTIONS' || fail "the manual page has no OPTIONS"
zcat "$prefix/share/man/man1/quillmere.1.gz" | grep -qF '\-\-texture\-only' ||
  fail "the manual page misses --texture-only"
grep -qxF 'Exec=quillmere %f' "$prefix/share/applications/quillmere.desktop" ||
  fail "the desktop entry does not start quillmere"

# The examples, against the installed package only.
examples=$workDir/examples
"$cmake" -S "$sourceDir/examples" -B "$examples" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" >"$workDir/examples-configure.log" 2>&1 ||
  { cat "$workDir/examples-configure.log" >&2; fail "the examples do not configure"; }
"$cmake" --build "$examples" -j2 >"$workDir/examples-build.log" 2>&1 ||
  { cat "$workDir/examples-build.log" >&2; fail "the examples do not build"; }
# Their headers come from the installed tree, not from the sources next to them.
for folder in $(sed -n 's/^CXX_INCLUDES = //p' "$examples"/CMakeFiles/*.dir/flags.make | tr ' ' '\n' |
  grep '^/'); do
  case $folder in
    "$prefix"/*) ;;
    "$sourceDir"/*) fail "the examples were compiled against $folder" ;;
  esac
done

# Reading a model or a picture must not pull in OpenGL, GLU, GLUT or EGL.
for program in obj_stats picture_size; do
  if ldd "$examples/$program" | grep -E 'lib(GL|GLU|GLX|OpenGL|EGL|glut)\.so'; then
    fail "$program loads an OpenGL library"
  fi
done

# picture_size PICTURE: the size the file's own header gives.
bmpSize=$(od -An -t d4 -j 18 -N 8 "$prefix/share/quillmere/vorbel_olho.bmp" | awk '{ print "width " $1 " height " $2 }')
[ "$("$examples/picture_size" "$prefix/share/quillmere/vorbel_olho.bmp")" = "$bmpSize channels 3" ] ||
  fail "picture_size vorbel_olho.bmp does not print $bmpSize channels 3"
[ "$("$examples/picture_size" "$sourceDir/tests/data/image/tex-grey-5x3.png")" = "width 5 height 3 channels 3" ] ||
  fail "picture_size tex-grey-5x3.png does not print its size"
if "$examples/picture_size" "$sourceDir/Data/vorbel.mtl" >/dev/null 2>&1; then
  fail "picture_size decoded a material library"
fi

# obj_stats MODEL: the counts against the file's own lines (faces as written, not triangulated;
# materials from every library the model names).
expectStats() {
  local model=$1 meshes=$2 materials=$3 vertices faces got
  vertices=$(grep -c '^v ' "$model")
  faces=$(grep -c '^f ' "$model")
  got=$("$examples/obj_stats" "$model") || fail "obj_stats failed on $model"
  [ "$got" = "meshes $meshes faces $faces vertices $vertices materials $materials" ] ||
    fail "obj_stats $model printed \"$got\", not meshes $meshes faces $faces vertices $vertices materials $materials"
}
expectStats "$sourceDir/Data/uvmappedvorbel.obj" 7 5
expectStats "$sourceDir/tests/data/model/layouts/meshlab-no-groups-quads.obj" 1 0
expectStats "$sourceDir/tests/data/install/counts.obj" 3 3
if "$examples/obj_stats" "$workDir/no-such.obj" >/dev/null 2>&1; then
  fail "obj_stats succeeded on a missing file"
fi

# heightmap SEED OUT: a seed makes the same file again; another seed another file.
cd "$workDir"
"$examples/heightmap" 7 a.ter >/dev/null
"$examples/heightmap" 7 b.ter >/dev/null
"$examples/heightmap" 8 c.ter >/dev/null
"$examples/heightmap" 7 a.bmp >/dev/null
cmp -s a.ter b.ter || fail "heightmap 7 wrote two different terrains"
cmp -s a.ter c.ter && fail "heightmap 7 and 8 wrote the same terrain"
[ "$(head -c 16 a.ter)" = "TERRAGENTERRAIN " ] || fail "a.ter is not a Terragen file"
# 256 x 256 at 3 bytes a pixel (rows of 768 bytes need no padding) after the 54-byte headers.
[ "$(head -c 2 a.bmp)" = BM ] && [ "$(stat -c %s a.bmp)" = $((54 + 256 * 256 * 3)) ] ||
  fail "a.bmp is not a 256 x 256 24-bit BMP file"

# The same program built with pkg-config alone writes the same files.
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
pkg-config --libs quillmere-toolkit | grep -qw -- -lnoise || fail "quillmere-toolkit.pc lacks -lnoise"
# shellcheck disable=SC2046
g++ -std=c++17 -O1 -o heightmap-pc "$sourceDir/examples/heightmap.cpp" \
  $(pkg-config --cflags --libs quillmere-toolkit) || fail "cannot build with pkg-config"
./heightmap-pc 7 pc.ter >/dev/null
./heightmap-pc 7 pc.bmp >/dev/null
cmp -s a.ter pc.ter && cmp -s a.bmp pc.bmp || fail "the pkg-config build writes other files"

# The installed viewer in an empty folder, without a display: the installed data set and a
# texture in the cache folder.
mkdir -p empty reference
cp -r "$sourceDir/Data" reference/Data
rm -f reference/Data/example*.bmp reference/Data/texture-*.bmp
for seed in 1 2; do
  (cd empty && env -u DISPLAY XDG_CACHE_HOME="$workDir/cache" "$prefix/bin/quillmere" \
    --seed "$seed" --output "seed$seed.png" >"out$seed.txt" 2>"err$seed.txt") ||
    fail "the installed viewer failed: $(cat "empty/err$seed.txt")"
  grep -qxF "quillmere: the texture goes to \"$workDir/cache/quillmere/example0.bmp\"" "empty/err$seed.txt" ||
    fail "no line naming the texture in the cache folder: $(cat "empty/err$seed.txt")"
  grep -qxF "*** Objeto: $prefix/share/quillmere/uvmappedvorbel.obj" "empty/out$seed.txt" ||
    fail "the installed data set was not opened: $(head -3 "empty/out$seed.txt")"
  # Nothing else goes wrong: the texture and the eyes' picture are found.
  [ "$(wc -l <"empty/err$seed.txt")" = 2 ] || fail "more on standard error: $(cat "empty/err$seed.txt")"
  cp "$workDir/cache/quillmere/example0.bmp" "texture$seed.bmp"
  (cd reference && env -u DISPLAY "$buildDir/app/quillmere" --seed "$seed" \
    --output "seed$seed.png" >/dev/null 2>&1) || fail "the build tree's viewer failed"
  cmp -s "texture$seed.bmp" reference/Data/example0.bmp ||
    fail "the texture of seed $seed differs from the one made in ./Data/"
  cmp -s "empty/seed$seed.png" "reference/seed$seed.png" ||
    fail "the installed viewer's picture of seed $seed differs from the build tree's"
done
cmp -s empty/seed1.png empty/seed2.png && fail "the pictures of two seeds are the same"
[ -z "$(ls empty | grep -v -E '^(seed[12]\.png|out[12]\.txt|err[12]\.txt)$')" ] ||
  fail "the viewer left files in the working folder: $(ls empty)"
ls "$prefix/share/quillmere" | grep -q '^example' && fail "the viewer wrote into the installed data set"

# --texture-only from the empty folder writes to the cache folder too.
(cd empty && env -u DISPLAY XDG_CACHE_HOME="$workDir/cache2" "$prefix/bin/quillmere" --seed 1 \
  --texture-only --quiet 2>/dev/null) || fail "--texture-only failed in an empty folder"
cmp -s "$workDir/cache2/quillmere/example0.bmp" texture1.bmp || fail "--texture-only wrote no texture"
echo "PASS install_test"
