#!/usr/bin/env bash
# The command line: --help without a display, a model that cannot be opened (status 2 before
# any window), and the texture written to the cache folder when there is no ./Data/.
source "$(dirname "$0")/../e2e/lib.sh" "$@"
model="$sourceDir/tests/data/model/layouts/missing-mtl-library.obj"

(unset DISPLAY; cd "$workDir" && "$quillmere" --help >help.txt 2>help.err) || fail "--help did not exit 0"
grep -q '^Usage: quillmere \[options\] \[MODEL\]' "$workDir/help.txt" || fail "--help prints no usage"
[ ! -s "$workDir/help.err" ] || fail "--help wrote to stderr"

(cd "$workDir" && exec "$quillmere" no-such-model.obj >missing.out 2>missing.err)
status=$?
[ "$status" = 2 ] || fail "a missing model gave status $status, not 2"
[ "$(wc -l <"$workDir/missing.err")" = 1 ] || fail "a missing model is not one stderr line"
grep -qF 'no-such-model.obj' "$workDir/missing.err" || fail "the error line does not name the file"
[ ! -s "$workDir/missing.out" ] || fail "a missing model still ran the texture generation"

# Without ./Data/ the texture goes to $XDG_CACHE_HOME/quillmere/, and a model named on the
# command line is read leniently: a material that no library defines gets the default one.
mkdir -p "$workDir/nodata"
(cd "$workDir/nodata" && XDG_CACHE_HOME="$workDir/cache" exec stdbuf -oL -eL "$quillmere" \
  "$model" >"$workDir/stdout.txt" 2>"$workDir/stderr.txt") &
appPid=$!
waitForText "$workDir/stdout.txt" "Limites: " 60
grep -qF "$workDir/cache/quillmere/example0.bmp" "$workDir/stderr.txt" ||
  fail "stderr does not name the cache folder"
grep -qF "Usando o material padr" "$workDir/stdout.txt" || fail "the unknown material stopped the load"
[ -f "$workDir/cache/quillmere/example0.bmp" ] || fail "no texture in the cache folder"
echo "PASS command_line_e2e"
