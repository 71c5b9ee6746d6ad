#!/usr/bin/env bash
# 200 Space presses and a few hundred drags: resident memory must not grow by 20 MB or more,
# the GL texture objects of earlier loads must be released, and Escape still exits with 0.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

presses=${QUILLMERE_SOAK_PRESSES:-200}
startLoaded
# Mesa's software renderer grows its own pools for a while even when nothing is reloaded (tens of
# megabytes in the first minute of drawing, then flat), so the baseline is taken once the resident
# size has settled: two windows of 10 reloads in a row that grew by less than 2 MB, at most 100.
loads=1
reloadTimes() {
  for _ in $(seq 1 "$1"); do
    pressKey "$window" space
    loads=$((loads + 1))
    waitForCount "$workDir/stdout.txt" "Limites: " "$loads" 300
  done
}
previous=$(residentKB)
calm=0
for window10 in $(seq 1 10); do
  reloadTimes 10
  now=$(residentKB)
  if [ $((now - previous)) -lt 2048 ]; then calm=$((calm + 1)); else calm=0; fi
  previous=$now
  [ "$calm" -ge 2 ] && break
done
baseline=$(residentKB)
echo "soak: settled after $((loads - 1)) reloads at ${baseline} kB"
for i in $(seq 1 "$presses"); do
  reloadTimes 1
  if [ $((i % 2)) = 0 ]; then
    drag "$window" 1 200 200 $((150 + i % 100)) $((250 - i % 100))
    drag "$window" 3 200 200 $((210 + i % 30)) 190
  fi
done
final=$(residentKB)
growth=$((final - baseline))
echo "soak: $presses reloads, resident memory ${baseline} kB -> ${final} kB (growth ${growth} kB)"
[ "$growth" -lt $((20 * 1024)) ] || fail "resident memory grew by ${growth} kB"

pressKey "$window" Escape
waitForExit 60
echo "soak: exit status $exitStatus"
[ "$exitStatus" = 0 ] || fail "exit status $exitStatus after Escape"
echo "PASS soak_e2e"
