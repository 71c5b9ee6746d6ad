#!/usr/bin/env bash
# Standard output redirected to a file (fully buffered, no stdbuf) already holds each block while
# the program runs, and all of it after SIGTERM or SIGINT, which end the program with status 0.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

startPlain() {
  (cd "$workDir" && exec "$quillmere" >stdout.txt 2>stderr.txt) &
  appPid=$!
}

for signal in TERM INT; do
  startPlain
  window=$(findWindow)
  waitForText "$workDir/stdout.txt" "Limites: " 60
  grep -qx 'numColors = [0-9]*' "$workDir/stdout.txt" || fail "the texture block is not in the log"
  if [ "$signal" = TERM ]; then
    pressKey "$window" space
    waitForCount "$workDir/stdout.txt" "Limites: " 2
  fi
  kill -"$signal" "$appPid"
  waitForExit 30
  [ "$exitStatus" = 0 ] || fail "exit status $exitStatus after SIG$signal"
  expected=$([ "$signal" = TERM ] && echo 2 || echo 1)
  [ "$(countText "$workDir/stdout.txt" "Creating 1 texture(s)...")" = "$expected" ] &&
    [ "$(countText "$workDir/stdout.txt" "Limites: ")" = "$expected" ] ||
    fail "the log after SIG$signal does not hold $expected whole runs"
done
echo "PASS log_e2e"
