#!/usr/bin/env bash
# The command line: --help without a display, a model that cannot be opened (status 2 before
# any window), an unknown option warned about and ignored, and --seed making the start-up
# texture again byte for byte, written to the cache folder when there is no ./Data/.
source "$(dirname "$0")/../e2e/lib.sh" "$@"
model="$sourceDir/tests/data/model/layouts/missing-mtl-library.obj"

(unset DISPLAY; cd "$workDir" && "$quillmere" --help >help.txt 2>help.err) || fail "--help did not exit 0"
grep -q '^Usage: quillmere \[options\] \[MODEL.obj\]' "$workDir/help.txt" || fail "--help prints no usage"
[ ! -s "$workDir/help.err" ] || fail "--help wrote to stderr"

(cd "$workDir" && exec "$quillmere" no-such-model.obj >missing.out 2>missing.err)
status=$?
[ "$status" = 2 ] || fail "a missing model gave status $status, not 2"
[ "$(wc -l <"$workDir/missing.err")" = 1 ] || fail "a missing model is not one stderr line"
grep -qF 'no-such-model.obj' "$workDir/missing.err" || fail "the error line does not name the file"
[ ! -s "$workDir/missing.out" ] || fail "a missing model still ran the texture generation"

startApp --frobnicate
window=$(findWindow)
waitForText "$workDir/stdout.txt" "Limites: "
grep -qF -- '--frobnicate' "$workDir/stderr.txt" || fail "no warning for an unknown option"
pressKey "$window" Escape
waitForExit 30
[ "$exitStatus" = 0 ] || fail "exit status $exitStatus with an unknown option"

# Without ./Data/ the texture goes to $XDG_CACHE_HOME/quillmere/.
mkdir -p "$workDir/nodata"
texture="$workDir/cache/quillmere/example0.bmp"
# runSeeded SEED: one start on the model from that seed; the texture's checksum goes to
# seed-SEED.md5 (not through a command substitution, whose subshell could not wait for it).
runSeeded() {
  (cd "$workDir/nodata" && XDG_CACHE_HOME="$workDir/cache" exec stdbuf -oL -eL "$quillmere" \
    --seed "$1" "$model" >"$workDir/stdout.txt" 2>"$workDir/stderr.txt") &
  appPid=$!
  waitForText "$workDir/stdout.txt" "Limites: " 60
  grep -qF "$workDir/cache/quillmere/example0.bmp" "$workDir/stderr.txt" ||
    fail "stderr does not name the cache folder"
  grep -qF "Usando o material padr" "$workDir/stdout.txt" || fail "the unknown material stopped the load"
  [ -f "$texture" ] || fail "no texture in the cache folder"
  md5sum <"$texture" >"$workDir/seed-$2.md5"
  kill "$appPid"
  wait "$appPid" 2>/dev/null
  appPid=""
  rm -f "$texture"
}
runSeeded 7 first
runSeeded 7 second
runSeeded 8 other
cmp -s "$workDir/seed-first.md5" "$workDir/seed-second.md5" || fail "--seed 7 twice gave different textures"
cmp -s "$workDir/seed-first.md5" "$workDir/seed-other.md5" && fail "--seed 8 gave the same texture as --seed 7"
echo "PASS command_line_e2e"
