#!/usr/bin/env bash
# A read on a bad line: tripsim spoils a fifth of its replies, with a seed
# (3) that spoils all three attempts of block 9 and of a few blocks after it.
# Without a retry budget the read stops at block 9 as before; with one it goes
# on from each such block and ends with the unit's exact memory.
set -u
. "$(dirname "$0")/sim_session.sh"
faults=(--memory "$work/memory.bin" --corrupt-rate 0.2 --seed 3)

start_sim "${faults[@]}"
"$cli" --english read --port "$work/tty" -o "$work/stopped.qvetp" >/dev/null 2>"$work/err" && fail "read without a budget succeeded"
[ "$(cat "$work/err")" = "tripconf-cli read: RS232. Exchange error.(0)
Nothing was written to the device. Block 9 of the device memory could not be read. The device's last reply arrived damaged." ] ||
  fail "read without a budget: $(cat "$work/err")"
[ ! -e "$work/stopped.qvetp" ] || fail "a failed read wrote its file"
kill "$simpid"; wait "$simpid" 2>/dev/null

start_sim "${faults[@]}" # the same faults from the start
"$cli" --english read --port "$work/tty" -o "$work/unit.qvetp" --retry-budget 20 >/dev/null 2>"$work/err" ||
  fail "read with a retry budget: $(cat "$work/err")"
grep -q "^Block 9 of the device memory could not be read.$" "$work/err" || fail "block 9 did not go on: $(cat "$work/err")"
grep -q "^Trying again (19 more retries left).$" "$work/err" || fail "the retry is not said: $(cat "$work/err")"
"$cli" image "$work/unit.qvetp" -o "$work/unit.raw" >/dev/null || fail "image"
# The image is the memory without blocks 0 and 128.
{ dd if="$work/memory.bin" bs=32 skip=1 count=127 2>/dev/null; dd if="$work/memory.bin" bs=32 skip=129 count=127 2>/dev/null; } \
  >"$work/expected.raw"
cmp -s "$work/unit.raw" "$work/expected.raw" || fail "the image read differs from the unit's memory"

"$cli" read --port "$work/tty" -o "$work/other.qvetp" --retry-budget x >/dev/null 2>&1
[ $? -eq 2 ] || fail "a bad --retry-budget is not a usage error"
"$cli" --help | grep -q -- "--retry-budget N" || fail "--help does not name --retry-budget"
echo "read on a bad line with a retry budget: ok"
