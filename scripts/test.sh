#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the full
# build first, then the headless core under AddressSanitizer and
# UndefinedBehaviorSanitizer, then (where clang is installed) each fuzz target
# for 20 s. Any failure, sanitizer report or fuzz finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

jobs=${JOBS:-2}
# ccache keys on paths relative to the clone, so any clone reuses the cache.
export CCACHE_BASEDIR="$PWD"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DTRIPCONF_BUILD_UI=OFF -DTRIPCONF_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== Sanitizer build (core, tools) =="
ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE bench

echo "== Full build =="
ctest --test-dir build --output-on-failure -j"$jobs" -LE bench

# The fuzz targets need clang; they build in a configure of their own.
if command -v clang++ >/dev/null 2>&1; then
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DTRIPCONF_FUZZ=ON -DTRIPCONF_BUILD_UI=OFF >/dev/null
  cmake --build build-fuzz -j"$jobs" --target fuzzers
  echo "== Fuzz smoke (${FUZZ_SECONDS:-20} s each) =="
  scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
else
  echo "== Fuzz smoke skipped: clang++ is not installed =="
fi
