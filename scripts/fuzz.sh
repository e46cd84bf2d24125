#!/usr/bin/env bash
# Runs the libFuzzer targets of build-fuzz/ for a fixed time each, starting
# from the committed seeds in tests/fuzz/corpus/NAME. New inputs go to
# build-fuzz/corpus/NAME (kept between runs), findings to build-fuzz/findings/.
# Any finding fails the run.
#   scripts/fuzz.sh [SECONDS [NAME...]]    default: 20 s each, every target
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=(fuzz_settings_file fuzz_journals fuzz_preview fuzz_link fuzz_settings_text fuzz_side_files)
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:halt_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p build-fuzz/findings
status=0
for t in "${targets[@]}"; do
  bin=build-fuzz/tests/fuzz/$t
  [ -x "$bin" ] || { echo "fuzz: $bin is not built (cmake --preset fuzz && cmake --build --preset fuzz)"; exit 2; }
  mkdir -p "build-fuzz/corpus/$t"
  log=build-fuzz/findings/$t.log
  if "$bin" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="build-fuzz/findings/$t-" "build-fuzz/corpus/$t" "tests/fuzz/corpus/$t" >"$log" 2>&1; then
    echo "fuzz $t: $(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}') runs in ${seconds} s, no finding"
  else
    echo "fuzz $t: FINDING (log: $log)"
    grep -E 'finding:|ERROR:|runtime error|SUMMARY|Test unit written' "$log" | head -20 || true
    status=1
  fi
done
exit $status
