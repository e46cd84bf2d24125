#!/usr/bin/env bash
# The display page end to end on the simulated trip computer: read the unit,
# click a preview's slot, change a day colour and add a hot-menu item, write,
# read back; the unit's memory and the preview hold the change.
set -u
. "$(dirname "$0")/sim_session.sh"
start_sim
read_unit unit.qvetp

# The first item the insertion menu of the parameters list offers, inserted by its code.
item=$("$cli" hot-menu-items "$work/unit.qvetp" params | head -1 | cut -f1)
[ -n "$item" ] || fail "hot-menu-items lists nothing"
"$cli" slot-items "$work/unit.qvetp" x4 3 | grep -q $'^17\t' || fail "slot-items: code 17 not offered"
"$cli" set "$work/unit.qvetp" -o "$work/edited.qvetp" display.click.x4.3=10,200:17 display.palette.day.5=31,0,31 \
  display.menu.params=clear "display.menu.params=insert:0:$item" >/dev/null || fail "set"
want=$(printf '%02x%02x' $((item & 255)) $((item >> 8)))000000000000000000000000000000000000
"$cli" preview "$work/unit.qvetp" --screen x4 --display 3 -o "$work/before.png" >/dev/null || fail "preview before"
"$cli" write --port "$work/tty" "$work/edited.qvetp" >/dev/null 2>&1 || fail "write to tripsim"
read_unit back.qvetp
[ "$("$cli" peek "$work/back.qvetp" 9:22:1 9:90:2 9:196:20)" = $'11\n1ff8\n'"$want" ] ||
  fail "the unit does not hold the change: $("$cli" peek "$work/back.qvetp" 9:22:1 9:90:2 9:196:20 | tr '\n' ' ')"
"$cli" preview "$work/back.qvetp" --screen x4 --display 3 -o "$work/after.png" >/dev/null || fail "preview after"
cmp -s "$work/before.png" "$work/after.png" && fail "the preview of what the unit holds does not show the change"
# Only the section that differs is sent; the success line is followed by how
# many differed and whether they were checked.
"$cli" --english write --port "$work/tty" "$work/unit.qvetp" --no-verify >"$work/out" 2>/dev/null || fail "write --no-verify"
[ "$(tail -n 2 "$work/out")" = "The settings are recorded in the device
1 of 11 sections differed; written, not checked" ] || fail "write --no-verify said: $(cat "$work/out")"
# A unit that holds the settings already is not written; --all-sections writes it whole.
"$cli" --english write --port "$work/tty" "$work/unit.qvetp" >"$work/out" 2>"$work/err" || fail "write unchanged"
[ "$(cat "$work/out")" = "The device already holds these settings. Nothing has been written." ] || fail "write unchanged said: $(cat "$work/out")"
grep -q "restore point" "$work/err" && fail "write unchanged kept a restore point: $(cat "$work/err")"
"$cli" --english write --port "$work/tty" "$work/unit.qvetp" --all-sections >"$work/out" 2>/dev/null || fail "write --all-sections"
[ "$(tail -n 2 "$work/out")" = "The settings are recorded in the device
All 11 sections written and checked; 0 of 11 differed." ] || fail "write --all-sections said: $(cat "$work/out")"
echo "display page on the simulator: ok"
