#!/usr/bin/env bash
# Runs the whole test suite on a fresh Debian machine: installs what is missing,
# configures, builds and runs ctest, the PostgreSQL backend's tests included.
#   scripts/test.sh             release build with warnings as errors
#   scripts/test.sh --sanitize  the same under AddressSanitizer and UBSan
# The PostgreSQL tests use the server in $TAXBRIDGE_TEST_PG when it is set; otherwise
# this script starts a throwaway cluster (scripts/start-postgres.sh) and stops it at the
# end. When no server can be had the script fails: no test is ever skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
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

if [ -z "${TAXBRIDGE_TEST_PG:-}" ]; then
  pgenv="$root/$build/pg.env"
  trap '"$root/scripts/start-postgres.sh" --stop "$pgenv" >/dev/null || true' EXIT
  if ! "$root/scripts/start-postgres.sh" "$pgenv"; then
    echo "test.sh: cannot start a PostgreSQL server for the PostgreSQL backend's tests" >&2
    exit 1
  fi
  # shellcheck disable=SC1090
  . "$pgenv"
fi
# The PostgreSQL tests fail, rather than skip, without a server.
export CI=true

cd "$build"
ctest --output-on-failure -j2 --timeout 900 --no-tests=error
