#!/usr/bin/env bash
# Builds the Debian package in build/ and checks what it holds:
#   scripts/package.sh && sudo apt install ./build/tripconf_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --preset default >/dev/null
cmake --build build -j"${JOBS:-2}" --target tripconf tripconf-cli tripsim
rm -f build/tripconf_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/tripconf_*.deb)

tests/tools/package.sh build "$deb"
echo "$deb"
