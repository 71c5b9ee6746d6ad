#!/usr/bin/env bash
# Sets up the machine, builds, and runs the whole test suite: unit, GL and end-to-end tests.
# GL and end-to-end tests start their own Xvfb displays, so no desktop is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh build
ctest --test-dir build --output-on-failure -j"$(nproc)"
