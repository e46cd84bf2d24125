#!/usr/bin/env bash
# Builds every bench of bench/ (preset default), runs them one after the other
# and prints the performance table of the README from what they measured in
# this one run. A bench that measures a row prints "table: KEY VALUE"; a row
# no bench measured prints n/a. The benches' own output goes to
# build/bench/logs/NAME.log.
#   scripts/bench.sh           every bench, full runs (a few minutes)
#   scripts/bench.sh --short   each bench with few runs (BENCH_SHORT=1): checks
#                              that every bench still runs, not its times
set -euo pipefail
cd "$(dirname "$0")/.."

short=${BENCH_SHORT:-}
for arg in "$@"; do
  case $arg in
    --short) short=1 ;;
    *) echo "usage: scripts/bench.sh [--short]" >&2; exit 2 ;;
  esac
done

scripts/deps.sh

jobs=${JOBS:-2}
export CCACHE_BASEDIR="$PWD"
cmake --preset default >/dev/null
# Every bench the CMake file declares (a bench added later is picked up).
mapfile -t benches < <(sed -n 's/^ *add_executable(\([A-Za-z0-9_]*_bench\)[ )].*/\1/p' bench/CMakeLists.txt)
cmake --build --preset default -j"$jobs" --target "${benches[@]}" >/dev/null

logs=build/bench/logs
mkdir -p "$logs"
if [ -n "$short" ]; then export BENCH_SHORT=1; else unset BENCH_SHORT; fi
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
status=0
for b in "${benches[@]}"; do
  bin=build/bench/$b
  start=$(date +%s%N)
  if "$bin" >"$logs/$b.log" 2>&1; then
    ms=$((($(date +%s%N) - start) / 1000000))
    printf 'bench %-20s ran in %d.%01d s\n' "$b" $((ms / 1000)) $((ms % 1000 / 100))
  else
    echo "bench $b FAILED (log: $logs/$b.log)"
    tail -5 "$logs/$b.log"
    status=1
  fi
done
if [ -n "$short" ]; then
  exit $status
fi

# The value of a row: a bench's "table: KEY VALUE" line, or n/a.
value() {
  local v
  v=$(cat "$logs"/*.log | sed -n "s/^table: $1 //p" | tail -1)
  echo "${v:-n/a}"
}

echo
echo "| figure (same run, $(date -u +%Y-%m-%d), $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)) | measured | goal |"
echo "|---|---|---|"
echo "| write of settings that differ from the unit in one value, vs a write into a unit that differs everywhere | $(value write-changed) | ≤ 0.6× |"
echo "| read with 5 % spoilt replies (three seeds), vs a clean read | $(value spoilt-read) | ≤ 2.5× |"
echo "| one reply 1000 ms late; one 1500 ms late (default options) | $(value late-reply) | exact image, no option needed |"
echo "| 6 noise bytes behind every 5th reply; behind every reply, paced | $(value noise) | exact, ≤ 2.5× and ≤ 3× a clean read |"
echo "| every 50th reply sent twice | $(value duplicates) | exact, ≤ 1.5× |"
echo "| unpaced full read (software overhead), vs an ideal replay client | $(value unpaced-read) | ≤ 1.5× |"
echo "| read from the window, vs the CLI | $(value window-read) | ≤ 1.02× |"
echo "| dials/panel preview, vs \`info\` on the same file | $(value preview) | ≤ 2× |"
echo "| editor: click on a page tab → painted | $(value page-switch) | ≤ 30 ms |"
exit $status
