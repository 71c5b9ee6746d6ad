#!/usr/bin/env bash
# Makes the Debian package with cpack and checks it as dpkg would see it: everything under /usr,
# the program, its data set, desktop entry and manual page, the libraries it loads among the
# package's dependencies, the program's own version; then runs the program from the unpacked
# tree in an empty folder without a display.
# Usage: deb_package_test.sh CPACK BUILD_DIR WORK_DIR
set -euo pipefail
cpack=$1
buildDir=$2
workDir=$3

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

rm -rf "$workDir"
mkdir -p "$workDir"
"$cpack" -G DEB --config "$buildDir/CPackConfig.cmake" -B "$workDir" >"$workDir/cpack.log" 2>&1 ||
  { tail -20 "$workDir/cpack.log" >&2; fail "cpack -G DEB failed"; }
package=$(ls "$workDir"/quillmere_*.deb 2>/dev/null | head -n1)
[ -n "$package" ] || fail "no quillmere_*.deb in $workDir: $(ls "$workDir")"

contents=$(dpkg-deb -c "$package" | awk '{ print $NF }')
for path in ./usr/bin/quillmere ./usr/share/quillmere/uvmappedvorbel.obj \
  ./usr/share/quillmere/vorbel_olho.bmp ./usr/share/applications/quillmere.desktop \
  ./usr/share/man/man1/quillmere.1.gz ./usr/include/quillmere/toolkit/toolkit.h; do
  grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
outside=$(grep -vE '^\./(usr(/.*)?)?$' <<<"$contents" || true)
[ -z "$outside" ] || fail "the package installs outside /usr: $outside"

# Every shared library the program loads comes from a package it depends on.
depends=$(dpkg-deb -f "$package" Depends)
for library in libnoise0 libgomp1 libassimp5 libpng16-16 libstdc\\+\\+6 libegl1 libglu1-mesa libc6; do
  grep -qE "(^|, )$library( |,|$)" <<<"$depends" || fail "Depends lacks $library: $depends"
done
grep -qE '(^|, )(freeglut3|libglut3[.0-9]*)( |,|$)' <<<"$depends" || fail "Depends lacks GLUT: $depends"
[ "$(dpkg-deb -f "$package" Architecture)" = "$(dpkg --print-architecture)" ] ||
  fail "the package is not for $(dpkg --print-architecture)"

unpacked=$workDir/unpacked
dpkg-deb -x "$package" "$unpacked"
version=$("$unpacked/usr/bin/quillmere" --version)
[ "$version" = "quillmere $(dpkg-deb -f "$package" Version)" ] ||
  fail "the package's version $(dpkg-deb -f "$package" Version) is not the program's ($version)"

mkdir -p "$workDir/empty"
(cd "$workDir/empty" && env -u DISPLAY XDG_CACHE_HOME="$workDir/cache" "$unpacked/usr/bin/quillmere" \
  --seed 5 --size 64x64 --output vorbel.png >out.txt 2>err.txt) ||
  fail "the packaged program failed: $(cat "$workDir/empty/err.txt")"
grep -qxF "*** Objeto: $unpacked/usr/share/quillmere/uvmappedvorbel.obj" "$workDir/empty/out.txt" ||
  fail "the packaged program did not open its data set"
[ -s "$workDir/cache/quillmere/example0.bmp" ] || fail "the packaged program wrote no texture"
echo "PASS deb_package_test"
