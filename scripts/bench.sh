#!/usr/bin/env bash
# One benchmark report: builds the benchmarks in release mode into build-bench, runs every
# benchmarks/*_bench program, times the viewer's first frame under Xvfb and a picture written
# without a display, then prints one table
# of every figure against its target and writes it, with the machine, to benchmarks/RESULTS.md.
# The machine should be otherwise idle; the report says when it was not.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
buildDir=$root/build-bench
loadBefore=$(cut -d' ' -f1 /proc/loadavg)

cmake -S . -B "$buildDir" -DCMAKE_BUILD_TYPE=Release -DQUILLMERE_BENCHMARKS=ON >/dev/null
benches=()
for source in benchmarks/*_bench.cpp; do
  benches+=("$(basename "$source" .cpp)")
done
echo "Building ${benches[*]} and quillmere (Release) ..."
cmake --build "$buildDir" -j"$(nproc)" --target "${benches[@]}" quillmere >/dev/null

results=$buildDir/bench-results
rm -rf "$results"
mkdir -p "$results"
# The large model that the drawing benchmark and the first-frame timing open: the editor-style
# export of the loader benchmark (about 200 MB), removed at the end.
largeModelDir=$(mktemp -d)
trap 'rm -rf "$largeModelDir"' EXIT
largeModel=$largeModelDir/editor.obj
"$buildDir/benchmarks/model_bench" --write editor "$largeModel"
# The small scan that a picture without a window is timed on (about 2.4 MB).
scanModel=$largeModelDir/scan.obj
"$buildDir/benchmarks/model_bench" --write scan "$scanModel"
for bench in "${benches[@]}"; do
  echo "Running $bench ..."
  start=$SECONDS
  # The console report of each program is kept beside its JSON for a closer look.
  extra=()
  # Its build-against-direct ratio moves by several per cent from one run to the next; the
  # report takes the median of five.
  [ "$bench" = toolkit_bench ] && extra=(--benchmark_repetitions=5)
  # The drawing benchmark needs a display: a private Xvfb with Mesa, as the GL tests use.
  runner=()
  [ "$bench" = draw_bench ] && runner=(env QUILLMERE_DRAW_BENCH_MODEL="$largeModel" tests/with_display.sh)
  if ! "${runner[@]}" "$buildDir/benchmarks/$bench" --benchmark_out="$results/$bench.json" \
      --benchmark_out_format=json "${extra[@]}" >"$results/$bench.txt" 2>&1; then
    echo "  $bench failed; see $results/$bench.txt" >&2
  fi
  echo "  done in $((SECONDS - start)) s"
done

echo "Timing the first frame ..."
python3 benchmarks/report.py --json "$results" --build "$buildDir" \
  --quillmere "$buildDir/app/quillmere" --data Data --out benchmarks/RESULTS.md \
  --load-before "$loadBefore" --large-model "$largeModel" --scan-model "$scanModel"
echo
echo "Written to benchmarks/RESULTS.md"
