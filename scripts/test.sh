#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the full
# build first, then the headless core under AddressSanitizer and
# UndefinedBehaviorSanitizer, every bench once in its short mode (that it
# still runs, not its times), then (where clang is installed) each fuzz
# target for 20 s. Any failure, sanitizer report or fuzz finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

jobs=${JOBS:-2}
# ccache keys on paths relative to the clone, so any clone reuses the cache.
export CCACHE_BASEDIR="$PWD"

# The builds are the presets of CMakePresets.json: default, asan, fuzz.
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs"

cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== Sanitizer build (core, tools) =="
ctest --preset asan -j"$jobs"

echo "== Full build =="
ctest --preset default -j"$jobs"

echo "== Benches, short mode (they run; times are not judged) =="
scripts/bench.sh --short

# The fuzz targets need clang; they build in a configure of their own.
if command -v clang++ >/dev/null 2>&1; then
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j"$jobs"
  echo "== Fuzz smoke (${FUZZ_SECONDS:-20} s each) =="
  scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
else
  echo "== Fuzz smoke skipped: clang++ is not installed =="
fi
