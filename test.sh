#!/usr/bin/env bash
# Sets up, builds and runs every test: the optimised build, the AddressSanitizer +
# UndefinedBehaviorSanitizer build, and a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")"

tools/setup.sh

cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default

cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

if [ -x fuzz/run.sh ]; then
    fuzz/run.sh "${TARVELO_FUZZ_SECONDS:-10}"
fi
