#!/usr/bin/env bash
# tripconf-cli set on the voice, averages, parking and tank pages, and the tank file (tank-save, tank-load).
set -u
cli=$1
. "$(dirname "$0")/tool_test.sh"

"$cli" new --model 0xC000 -o "$work/a.qvetp" >/dev/null || fail "new"

# Voice modes by letter, a price, reset periods, parking, a tank calibration and tare points.
"$cli" set "$work/a.qvetp" -o "$work/b.qvetp" voice.mode.speed=Б,Г voice.mode.maintenance=Н averages.price_petrol=45.6 \
  averages.reset2=Запр. parking.rear.stop_distance=120 tank.two_point1.litres=6 tank.two_point1.units=123 tank.tare_points=2 \
  tank.tare.1=1,241 'tank.tare.2=1 2,300' >/dev/null || fail "set"
[ "$("$cli" peek "$work/b.qvetp" 8:2:1 8:6:1 7:0:2 1:153:1 2:10:1 3:0:4 4:2:1 4:6:1 4:8:2 4:144:4)" = \
  $'22\n09\nc801\nff\n0c\n7b000600\n02\n01\n010c\nf1002c01' ] || fail "bytes after set"
[ "$("$cli" get "$work/b.qvetp" averages.reset2)" = Запр. ] || fail "get reset period"
"$cli" keys | grep -q '^voice.mode.NAME' || fail "keys: voice modes"
"$cli" keys | grep -q '^tank.tare.N' || fail "keys: tare points"
for bad in voice.mode.speed=Б voice.mode.speed=Z,О voice.mode.nothing=О,О tank.tare.3=1,1 tank.tare.1=256,0; do
  "$cli" --english set "$work/b.qvetp" -o "$work/r.qvetp" "$bad" >/dev/null 2>"$work/err"
  [ $? = 1 ] || fail "set $bad was not refused"
  [ -e "$work/r.qvetp" ] && fail "set $bad left an output file"
done

# The tank file: 245 bytes, loaded into other settings it carries the calibration and nothing else.
"$cli" tank-save "$work/b.qvetp" "$work/t.qveto" >/dev/null || fail "tank-save"
[ "$(stat -c %s "$work/t.qveto")" = 245 ] || fail "tank file size"
[ "$(head -c 4 "$work/t.qveto" | od -An -tx1 | tr -d ' \n')" = 7b000600 ] || fail "tank file starts with the two-point values"
"$cli" tank-load "$work/a.qvetp" "$work/t.qveto" -o "$work/c.qvetp" >/dev/null || fail "tank-load"
[ "$("$cli" peek "$work/c.qvetp" 3:0:37 4:0:280)" = "$("$cli" peek "$work/b.qvetp" 3:0:37 4:0:280)" ] || fail "tank-load: calibration"
[ "$("$cli" peek "$work/c.qvetp" 8:2:1 7:0:2)" = "$("$cli" peek "$work/a.qvetp" 8:2:1 7:0:2)" ] || fail "tank-load changed other pages"
"$cli" tank-save "$work/c.qvetp" "$work/t2.qveto" >/dev/null || fail "tank-save again"
cmp -s "$work/t.qveto" "$work/t2.qveto" || fail "the tank file does not round-trip"

# A short file fills what it covers and says so; bad paths change nothing.
head -c 37 "$work/t.qveto" >"$work/short.qveto"
"$cli" --english tank-load "$work/a.qvetp" "$work/short.qveto" -o "$work/s.qvetp" 2>"$work/err" >/dev/null || fail "tank-load short"
grep -q 'holds 37 of 245 bytes' "$work/err" || fail "short file: no warning"
[ "$("$cli" peek "$work/s.qvetp" 3:0:4 4:2:1)" = $'7b000600\n'"$("$cli" peek "$work/a.qvetp" 4:2:1)" ] || fail "short file: bytes"
for bad in "$work" "$work/missing.qveto"; do
  "$cli" tank-load "$work/a.qvetp" "$bad" -o "$work/x.qvetp" >/dev/null 2>&1
  [ $? = 1 ] || fail "tank-load $bad not refused"
  [ -e "$work/x.qvetp" ] && fail "tank-load $bad left an output file"
done
"$cli" tank-save "$work/a.qvetp" "$work" >/dev/null 2>&1; [ $? = 1 ] || fail "tank-save into a folder"
"$cli" tank-load "$work/a.qvetp" "$work/t.qveto" 2>/dev/null; [ $? = 2 ] || fail "tank-load without -o"
echo "cli tank and voice: ok"
