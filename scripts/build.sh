#!/usr/bin/env bash
# Configures and builds Quillmere into ./build (or the folder given as $1 with extra CMake flags).
set -euo pipefail
cd "$(dirname "$0")/.."
buildDir=${1:-build}
shift || true
cmake -S . -B "$buildDir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$buildDir" -j"$(nproc)"
