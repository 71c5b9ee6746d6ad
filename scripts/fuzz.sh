#!/usr/bin/env bash
# Builds the reader fuzz targets (clang, libFuzzer) into build-fuzz and runs each for the given
# number of seconds (default 60) on a fresh copy of its seeds: the project's own BMP, OBJ and MTL
# files, the inputs kept from earlier findings, and fuzz/seeds/ when it exists. Exits non-zero when a target
# crashes, leaks, hangs or runs out of memory, and names the input that reproduces it.
#   ./scripts/fuzz.sh [seconds] [target...]
# Targets: bmp_fuzzer, obj_fuzzer, mtl_fuzzer, numbers_fuzzer (the readers' number scanning
# against stream extraction and atoi), model_file_fuzzer (telling OBJ text from other files),
# ply_strips_fuzzer (the PLY triangle-strip reader and the PLY header check) and
# import_answer_fuzzer (the answer a child importer sends back).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(bmp_fuzzer obj_fuzzer mtl_fuzzer numbers_fuzzer
  model_file_fuzzer ply_strips_fuzzer import_answer_fuzzer)
buildDir=$root/build-fuzz

# Configured every time, so that a target added since the last run is known to the build.
CC=clang CXX=clang++ cmake -S . -B "$buildDir" -DQUILLMERE_FUZZ=ON -DQUILLMERE_TESTS=OFF \
  >/dev/null
# CMake's own notes (a re-run glob, say) are not worth showing; compiler errors are.
if ! cmake --build "$buildDir" -j"$(nproc)" --target "${targets[@]}" >"$buildDir/fuzz-build.log" 2>&1
then
  cat "$buildDir/fuzz-build.log" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quillmere-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
artifacts=$buildDir/fuzz-artifacts
logs=$buildDir/fuzz-logs
mkdir -p "$artifacts" "$logs"

# seeds <target>: the files a target starts from, one path a line.
seeds() {
  local pattern
  case $1 in
    bmp_fuzzer) pattern='*.bmp' ;;
    obj_fuzzer) pattern='*.obj' ;;
    mtl_fuzzer) pattern='*.mtl' ;;
    numbers_fuzzer) pattern='*.[om][bt][jl]' ;;
    model_file_fuzzer) pattern='*' ;;
    ply_strips_fuzzer) pattern='*.ply' ;;
    import_answer_fuzzer) pattern='*.qimp' ;;
  esac
  for folder in Data tests/data fuzz/seeds; do
    if [ -d "$folder" ]; then
      find "$folder" -type f -name "$pattern"
    fi
  done
}

# Text inputs are kept short so the fuzzer spends its time on many inputs rather than on one
# 500 KB model; longer seeds are cut to this length.
options() {
  case $1 in
    bmp_fuzzer) echo "" ;;
    obj_fuzzer) echo "-max_len=16384 -dict=$root/fuzz/dictionaries/obj.dict" ;;
    mtl_fuzzer) echo "-max_len=4096 -dict=$root/fuzz/dictionaries/mtl.dict" ;;
    numbers_fuzzer) echo "-max_len=64" ;;
    model_file_fuzzer) echo "-max_len=4096" ;;
    ply_strips_fuzzer) echo "-max_len=4096 -dict=$root/fuzz/dictionaries/ply.dict" ;;
    import_answer_fuzzer) echo "-max_len=4096" ;;
  esac
}

failed=0
for target in "${targets[@]}"; do
  corpus=$work/$target
  mkdir -p "$corpus"
  seeds "$target" | while read -r seed; do
    cp "$seed" "$corpus/$(echo "$seed" | tr / _)"
  done
  log=$logs/$target.log
  before=$(ls "$artifacts" | sort)
  # The private folder of material libraries that obj_fuzzer makes goes into $work too.
  # shellcheck disable=SC2046
  if TMPDIR=$work UBSAN_OPTIONS=print_stacktrace=1 "$buildDir/fuzz/$target" "$corpus" \
       -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$artifacts/$target-" $(options "$target") >"$log" 2>&1; then
    echo "$target: ok, $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') inputs in ${seconds} s, $(grep -o 'cov: [0-9]*' "$log" | tail -1)"
  else
    failed=1
    echo "$target: FAILED (log: $log)"
    grep -E '^(==[0-9]+==ERROR|SUMMARY|check failed|.*runtime error)' "$log" | head -5 || true
    for found in $(comm -13 <(echo "$before") <(ls "$artifacts" | sort)); do
      echo "  reproduce with: $buildDir/fuzz/$target $artifacts/$found"
    done
  fi
done
exit $failed
