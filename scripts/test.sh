#!/usr/bin/env bash
# Sets up the machine, builds, and runs the whole test suite: unit, GL and end-to-end tests,
# then the unit and GL tests again under AddressSanitizer and UndefinedBehaviorSanitizer, then a
# short fuzzing smoke of every reader. GL and end-to-end tests start their own Xvfb displays, so
# no desktop is needed. `--quick` stops after the first (normal) run.
set -euo pipefail
cd "$(dirname "$0")/.."
quick=false
[ "${1:-}" = "--quick" ] && quick=true

./scripts/setup.sh
./scripts/build.sh build
ctest --test-dir build --output-on-failure -j"$(nproc)"
$quick && exit 0

./scripts/build.sh build-asan -DQUILLMERE_SANITIZE=ON
suppressions="$PWD/tests/sanitizer.supp"
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$suppressions:print_suppressions=0" \
  UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -L unit
# The GL driver leaks from inside modules it unloads again, where no suppression can name it;
# apitrace preloads its wrapper ahead of the sanitizer runtime in the call-order tests.
ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -L gl

if [ -x scripts/fuzz.sh ]; then
  ./scripts/fuzz.sh "${QUILLMERE_FUZZ_SECONDS:-60}"
fi
