#!/usr/bin/env bash
# tripconf-cli fields/get/set/peek/poke: the settings editor's core from the command line.
set -u
cli=$1
. "$(dirname "$0")/tool_test.sh"

"$cli" new --model 0xC000 -o "$work/a.qvetp" >/dev/null || fail "new"

# fields: a header, one tab-separated line per visible control; --all adds the hidden ones.
fields=$("$cli" --english fields "$work/a.qvetp") || fail "fields"
[ "$(head -1 <<<"$fields")" = $'key\tpage\trecord\toffset\tbit\tkind\tshown\tvisible\tenabled\tmark\tcaption' ] || fail "fields header"
grep -q $'^corrections.speed\tcorrections\t6\t60\t-\tnumber\t0.0\tyes\tyes\t-\tSpeed, %$' <<<"$fields" || fail "fields: speed correction"
grep -q $'^sources.battery_compensation\tsources\t6\t0\t17\tcheck\t' <<<"$fields" && fail "fields: a hidden control listed without --all"
all=$("$cli" --english fields "$work/a.qvetp" --all) || fail "fields --all"
grep -q $'^sources.battery_compensation\tsources\t6\t0\t17\tcheck\ton\tno\tyes\t-\tCompens.VBt$' <<<"$all" || fail "fields --all: hidden control"
[ "$(awk -F'\t' '$2 == "corrections" || $2 == "sources" || $2 == "limits"' <<<"$all" | wc -l)" = 76 ] ||
  fail "fields --all: not 76 controls on the corrections, sources and limits pages"
awk -F'\t' 'NF != 11 { bad = 1 } END { exit bad }' <<<"$all" || fail "fields: a line without 11 columns"
grep -q $'^sources.speed\tsources\t6\t40\t-\tradio\tЭБУ\tyes' < <("$cli" fields "$work/a.qvetp") || fail "fields in Russian"

# get and set: values as shown, applied in order, then OK.
[ "$("$cli" get "$work/a.qvetp" limits.speed)" = 80 ] || fail "get limits.speed"
"$cli" set "$work/a.qvetp" -o "$work/b.qvetp" corrections.speed=5.0 limits.speed=130 sources.detection=Руч. 'sources.protocol=#11' \
  sources.tank_method=#1 >/dev/null || fail "set"
[ "$("$cli" get "$work/b.qvetp" corrections.speed)" = 5.0 ] || fail "get after set: speed correction"
[ "$("$cli" get "$work/b.qvetp" sources.protocol)" = CAN ] || fail "get after set: protocol"
[ "$("$cli" peek "$work/b.qvetp" 6:4:1 10:4:4 3:38:1)" = $'41\n0b000b00\n01' ] || fail "peek after set"
[ "$("$cli" --english get "$work/b.qvetp" sources.battery_compensation)" = on ] || fail "get: the FLS tank method shows the compensation box"

# Refusals: exit 1, the message, no output file.
for value in limits.speed=300 limits.speed=fast sources.tank_mode=Huge corrections.tachometer=4 no.such=1; do
  "$cli" --english set "$work/a.qvetp" -o "$work/r.qvetp" corrections.speed=5.0 "$value" >/dev/null 2>"$work/err"
  [ $? = 1 ] || fail "set $value was not refused"
  [ -e "$work/r.qvetp" ] && fail "set $value left an output file"
  [ "$(wc -l <"$work/err")" = 1 ] || fail "set $value: stderr is not one line"
done
grep -q 'Value must be from 40 to 200 km/h, in steps of 2' < <("$cli" --english set "$work/a.qvetp" -o "$work/r.qvetp" limits.speed=300 2>&1) || fail "range message"
grep -q 'hidden.*--force' < <("$cli" --english set "$work/a.qvetp" -o "$work/r.qvetp" corrections.tachometer=4 2>&1) || fail "hidden: no hint"
# A page the model does not show hides its controls everywhere: 0x5100 has no parking sensors.
"$cli" new --model 0x5100 -o "$work/np.qvetp" >/dev/null || fail "new 0x5100"
"$cli" fields "$work/np.qvetp" | grep -q '^parking\.' && fail "fields lists the hidden parking page"
"$cli" fields --all "$work/np.qvetp" | grep -q $'^parking\.rear\.sensitivity\t.*\tno\t' || fail "fields --all: parking not hidden"
grep -q 'hidden.*--force' < <("$cli" --english set "$work/np.qvetp" -o "$work/r.qvetp" parking.rear.sensitivity=5 2>&1) || fail "set took a hidden page's control"
"$cli" set "$work/a.qvetp" -o "$work/f.qvetp" --force corrections.tachometer=4 >/dev/null || fail "set --force"
[ "$("$cli" peek "$work/f.qvetp" 6:73:1)" = 04 ] || fail "set --force: value"

# set without values: only the opening writes (the protocol index mirrored at record 10 offset 6).
"$cli" poke "$work/a.qvetp" -o "$work/p.qvetp" 10:4=0300 >/dev/null || fail "poke"
[ "$("$cli" peek "$work/p.qvetp" 10:4:4)" = 03000000 ] || fail "peek after poke"
"$cli" set "$work/p.qvetp" -o "$work/ok.qvetp" >/dev/null || fail "set without values"
[ "$("$cli" peek "$work/ok.qvetp" 10:4:4)" = 03000300 ] || fail "opening writes"
[ "$(cmp -l "$work/p.qvetp" "$work/ok.qvetp" | wc -l)" = 1 ] || fail "set without values changed more than the mirrored index"

# peek and poke: bounds and bad input.
[ "$("$cli" peek "$work/a.qvetp" 6:60:4)" = 0000803f ] || fail "peek float 1.0"
"$cli" poke "$work/a.qvetp" -o "$work/q.qvetp" 6:60=6666863f 1:144=40e20100 >/dev/null || fail "poke two ranges"
[ "$("$cli" get "$work/q.qvetp" corrections.speed)" = 5.0 ] || fail "poke: factor 1.05 shows 5.0"
[ "$("$cli" get "$work/q.qvetp" corrections.initial_mileage)" = 123456 ] || fail "poke: mileage"
for bad in 6:86=000000 6:0=0 6:0=zz 12:0=00 6=00 6:88=00; do
  "$cli" poke "$work/a.qvetp" -o "$work/x.qvetp" "$bad" >/dev/null 2>&1
  [ $? = 2 ] || fail "poke $bad not refused as bad usage"
done
[ -e "$work/x.qvetp" ] && fail "a refused poke left a file"
for bad in 6:80:9 0:0:1 6:0 11:663:2; do
  "$cli" peek "$work/a.qvetp" "$bad" >/dev/null 2>&1
  [ $? = 2 ] || fail "peek $bad not refused"
done
[ "$("$cli" peek "$work/a.qvetp" 11:663:1)" = 00 ] || fail "peek the last byte of record 11"
"$cli" get "$work/missing" limits.speed 2>/dev/null; [ $? = 1 ] || fail "get on a missing file"
head -c 3000 /dev/urandom >"$work/garbage"
"$cli" fields "$work/garbage" >/dev/null 2>"$work/err"; [ $? = 1 ] || fail "fields on garbage"
[ "$(wc -l <"$work/err")" = 1 ] || fail "fields on garbage: stderr is not one line"
"$cli" set "$work/a.qvetp" limits.speed=130 2>/dev/null; [ $? = 2 ] || fail "set without -o"
"$cli" set "$work/a.qvetp" -o "$work/y.qvetp" limits.speed 2>/dev/null; [ $? = 2 ] || fail "set without ="

# The display page: structured values and controls in one set, then peek and preview show them.
"$cli" keys | grep -q '^display.palette.day|night.N' || fail "keys: palette"
"$cli" set "$work/a.qvetp" -o "$work/d.qvetp" display.palette.day.3=31,31,31 display.slot.x4.3.3=17 \
  display.click.x6.2=300,120:13 display.menu.params=clear display.day_time=07:30 display.show.x1.6=off >/dev/null || fail "set display"
[ "$("$cli" peek "$work/d.qvetp" 9:86:2 9:22:1 9:44:1 9:196:2 9:284:2)" = $'ffff\n11\n0d\n0000\nc201' ] || fail "peek after set display"
[ $(( 0x$("$cli" peek "$work/d.qvetp" 9:288:1) & 0x20 )) = 0 ] || fail "x1 box 6 still set"
"$cli" preview "$work/a.qvetp" --screen x4 --display 3 -o "$work/before.png" >/dev/null || fail "preview before"
"$cli" preview "$work/d.qvetp" --screen x4 --display 3 -o "$work/after.png" >/dev/null || fail "preview after"
cmp -s "$work/before.png" "$work/after.png" && fail "preview does not show the changed slot"
"$cli" --english set "$work/a.qvetp" -o "$work/r.qvetp" display.slot.x4.7.1=17 2>"$work/err" >/dev/null
[ $? = 1 ] && [ ! -e "$work/r.qvetp" ] || fail "a display outside the layout was not refused"
echo "cli editor commands: ok"
