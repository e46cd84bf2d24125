#!/usr/bin/env bash
# Builds the project and shows it at work.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"${JOBS:-2}"

demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
cli=build/tools/cli/tripconf-cli
echo "\$ tripconf-cli new --model 0xC000 -o demo.qvetp"
"$cli" new --model 0xC000 -o "$demo/demo.qvetp"
echo "\$ tripconf-cli info demo.qvetp"
"$cli" info "$demo/demo.qvetp"
