#!/usr/bin/env bash
# Runs the whole test suite on a fresh Debian machine: installs what is missing,
# configures, builds and runs ctest.
#   scripts/test.sh             release build with warnings as errors
#   scripts/test.sh --sanitize  the same under AddressSanitizer and UBSan
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

build=build/release
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  build=build/sanitize
  flags=(-DCMAKE_BUILD_TYPE=Debug -DTAXBRIDGE_SANITIZE=ON -DTAXBRIDGE_BENCH=OFF)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
cmake -S . -B "$build" -DTAXBRIDGE_WERROR=ON "${flags[@]}"
cmake --build "$build" -j2
cd "$build"
ctest --output-on-failure -j2 --timeout 900
