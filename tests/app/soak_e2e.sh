#!/usr/bin/env bash
# 200 Space presses and a few hundred drags: resident memory must not grow by 20 MB or more,
# the GL texture objects of earlier loads must be released, and Escape still exits with 0.
source "$(dirname "$0")/../e2e/lib.sh" "$@"

presses=${QUILLMERE_SOAK_PRESSES:-200}
startApp
window=$(findWindow)
waitForText "$workDir/stdout.txt" "Limites: "
# Let the allocator and the driver settle with a few reloads before taking the baseline.
for i in 1 2 3 4 5; do
  pressKey "$window" space
  waitForCount "$workDir/stdout.txt" "Limites: " $((i + 1))
done
baseline=$(residentKB)
loads=6
for i in $(seq 1 "$presses"); do
  pressKey "$window" space
  loads=$((loads + 1))
  waitForCount "$workDir/stdout.txt" "Limites: " "$loads" 300
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
