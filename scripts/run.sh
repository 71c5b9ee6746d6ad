#!/usr/bin/env bash
# Sets up the machine, builds, and starts the viewer from the project root (it reads ./Data/).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh build
exec ./build/app/quillmere "$@"
