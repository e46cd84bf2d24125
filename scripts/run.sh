#!/usr/bin/env bash
# Builds the project, starts the simulated trip computer on a pseudo-terminal
# and opens the window already set to it: read, edit, save and write settings
# without hardware. Without a display, shows the command-line tool at work on
# the simulator instead.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j"${JOBS:-2}"

demo=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$demo"
}
trap cleanup EXIT

link="$demo/tripcomputer"
build/tools/sim/tripsim --link "$link" --memory "$demo/memory.bin" >"$demo/sim.out" &
sim_pid=$!
for _ in $(seq 100); do [ -s "$demo/sim.out" ] && break; sleep 0.05; done
echo "Simulated trip computer on $link (pid $sim_pid)"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  build/src/app/tripconf --port "$link"
else
  echo "No display: showing tripconf-cli against the simulator instead."
  cli=build/tools/cli/tripconf-cli
  echo "\$ tripconf-cli read --port $link -o demo.qvetp"
  "$cli" --english read --port "$link" -o "$demo/demo.qvetp"
  echo "\$ tripconf-cli info demo.qvetp"
  "$cli" --english info "$demo/demo.qvetp"
fi
