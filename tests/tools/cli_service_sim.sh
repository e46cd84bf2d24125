#!/usr/bin/env bash
# The maintenance and extra-systems pages end to end on the simulated trip
# computer: read the unit, set a date, a name and two systems, save the
# maintenance file, load it into fresh settings, write them, read back.
set -u
. "$(dirname "$0")/sim_session.sh"
start_sim
read_unit unit.qvetp
model=$("$cli" info "$work/unit.qvetp" | grep -io '0x[0-9a-f]\{4\}' | head -1)
codes=$("$cli" systems "$work/unit.qvetp" | awk -F'\t' 'NR > 1 && $1 ~ /^[0-9]+$/ { print $1 }' | head -2 | paste -sd,)
[ -n "$codes" ] || fail "the unit's model offers no extra systems"

"$cli" set "$work/unit.qvetp" -o "$work/edited.qvetp" maintenance.service_date=15.06.25 maintenance.item3_name=Свечи \
  "systems.selected=$codes" >/dev/null || fail "set"
"$cli" service-save "$work/edited.qvetp" "$work/car.qvett" >/dev/null || fail "service-save"
"$cli" new --model "$model" -o "$work/fresh.qvetp" >/dev/null || fail "new $model"
"$cli" service-load "$work/fresh.qvetp" "$work/car.qvett" -o "$work/loaded.qvetp" >/dev/null || fail "service-load"
"$cli" write --port "$work/tty" "$work/loaded.qvetp" >/dev/null 2>&1 || fail "write to tripsim"
read_unit back.qvetp
[ "$("$cli" get "$work/back.qvetp" maintenance.service_date)" = 15.06.25 ] || fail "the unit does not hold the date"
[ "$("$cli" get "$work/back.qvetp" maintenance.item3_name)" = Свечи ] || fail "the unit does not hold the name"
[ "$("$cli" systems "$work/back.qvetp" | awk -F'\t' '$2 == "yes" { print $1 }' | paste -sd,)" = "$codes" ] ||
  fail "the unit does not hold the systems"
echo "maintenance and extra systems on the simulator: ok"
