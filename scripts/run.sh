#!/usr/bin/env bash
# Sets up the machine, builds the viewer alone, and starts it from the project root (it reads
# ./Data/); arguments go to the viewer. When nothing changed it starts within a few seconds. Its own
# progress lines go to standard error, so that a redirected standard output holds only the viewer's.
set -euo pipefail
cd "$(dirname "$0")/.."
buildDir=build
./scripts/setup.sh
mkdir -p "$buildDir"
log=$buildDir/run-build.log
# Configured once; later builds re-run CMake by themselves when a CMakeLists.txt changes.
if [ ! -f "$buildDir/CMakeCache.txt" ]; then
  echo "run: configuring $buildDir/" >&2
  if ! cmake -S . -B "$buildDir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
  fi
fi
echo "run: building quillmere" >&2
if ! cmake --build "$buildDir" -j"$(nproc)" --target quillmere >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
exec "./$buildDir/app/quillmere" "$@"
