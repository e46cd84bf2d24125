#!/usr/bin/env bash
# tripconf-cli journals on settings read from the simulated trip computer,
# whose memory carries sample trips, refuels, totals and two faults.
set -u
. "$(dirname "$0")/sim_session.sh"
start_sim
read_unit dev.qvetp --stop

# Both journals as the save button writes them: a UTF-8 mark, 22 CRLF lines of 9 tab-terminated cells.
"$cli" --english journals "$work/dev.qvetp" --trip "$work/trip.txt" --refuel "$work/refuel.txt" >/dev/null || fail "journals --trip --refuel"
for f in trip refuel; do
  [ "$(head -c 3 "$work/$f.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "$f: no UTF-8 mark"
  [ "$(wc -l <"$work/$f.txt")" = 22 ] || fail "$f: not 22 lines"
  [ "$(grep -c $'\r$' "$work/$f.txt")" = 22 ] || fail "$f: lines not ended by CR LF"
  tail -c +4 "$work/$f.txt" | tr -d '\r' | awk -F'\t' 'NF != 10 || $10 != "" { bad = 1 } END { exit bad }' || fail "$f: a line without 9 tab-terminated cells"
done
grep -q $'^Last\t17:42   7.12\t0:25\t18.240\t1.530\t43\t8.4\t3.65\t' "$work/trip.txt" || fail "trip: last record"
grep -q $'^6\tEmpty\t\t\t\t\t\t\t\t\r$' "$work/trip.txt" || fail "trip: empty record"
grep -q $'^2\t16:22   20.11\t2:45\t176.210\t14.410\t64\t8.2\t5.22\t' "$work/refuel.txt" || fail "refuel: record 2"

# Russian texts and the user's separator.
"$cli" journals "$work/dev.qvetp" --trip "$work/trip-ru.txt" --separator , >/dev/null || fail "journals Russian"
grep -q $'^Посл.\t17:42   7.12\t0:25\t18,240\t1,530\t43\t8,4\t3,65\t' "$work/trip-ru.txt" || fail "Russian trip: last record"

# The fault list with the freeze frame of the first fault.
faults=$("$cli" --english journals "$work/dev.qvetp" --faults) || fail "journals --faults"
grep -q $'^0\t8:31 5.12\t' <<<"$faults" || fail "faults: first fault"
grep -q $'^    Trouble code\tP0301$' <<<"$faults" || fail "faults: freeze-frame code"
grep -q $'^    Engine RPM\t2140$' <<<"$faults" || fail "faults: RPM"
grep -q $'^    Short term fuel trim-Bank 1, %\t-3$' <<<"$faults" || fail "faults: signed value"
grep -q $'^1\t17:02 28.11\t' <<<"$faults" || fail "faults: second fault"
[ "$(grep -c 'Trouble code' <<<"$faults")" = 2 ] || fail "faults: only the first fault has a freeze frame"

# Everything at once prints the totals too.
all=$("$cli" --english journals "$work/dev.qvetp") || fail "journals"
grep -q $'^    Mileage,m\t96426.870$' <<<"$all" || fail "totals: cumulative mileage with the kilometre count"

# The chart points: every one is the number of its record's cell in the saved tables.
csv=$("$cli" --english journals "$work/dev.qvetp" --chart-csv) || fail "journals --chart-csv"
[ "$(head -1 <<<"$csv")" = "chart,record,time,value" ] || fail "chart csv: header"
grep -Eq '^trip_consumption,0,[0-9]{4}-12-07 17:42,8.4$' <<<"$csv" || fail "chart csv: last trip"
[ "$(grep -c '^trip_cost,' <<<"$csv")" = 6 ] || fail "chart csv: six trip costs"
[ "$(grep -c '^refuel_consumption,' <<<"$csv")" = 3 ] || fail "chart csv: three refuels"
tail -n +2 <<<"$csv" | while IFS=, read -r chart record when value; do
  case $chart in
    trip_consumption) file=trip.txt col=7 ;;
    refuel_consumption) file=refuel.txt col=7 ;;
    trip_cost) file=trip.txt col=9 ;;
    *) fail "chart csv: unknown chart $chart" ;;
  esac
  label=$record; [ "$record" = 0 ] && label=Last
  cell=$(tail -c +4 "$work/$file" | tr -d '\r' | awk -F'\t' -v l="$label" -v c="$col" '$1 == l { print $c }')
  awk -v a="$cell" -v b="$value" 'BEGIN { exit !(a + 0 == b + 0 && a != "") }' || fail "chart csv: $chart record $record is $value, the table shows '$cell'"
done || exit 1

# Bad usage and bad files.
"$cli" journals 2>/dev/null; [ $? = 2 ] || fail "journals without a file"
"$cli" journals "$work/dev.qvetp" --trip 2>/dev/null; [ $? = 2 ] || fail "--trip without a name"
"$cli" journals "$work/missing" 2>"$work/err"; [ $? = 1 ] || fail "missing file"
[ "$(wc -l <"$work/err")" = 1 ] || fail "missing file: stderr is not one line"
"$cli" journals "$work/dev.qvetp" --trip "$work/no/such/dir/t.txt" >/dev/null 2>&1; [ $? = 1 ] || fail "unwritable output"
# An output naming the settings file, or both outputs one file, is refused and the file kept.
cp "$work/dev.qvetp" "$work/keep.qvetp"
"$cli" journals "$work/dev.qvetp" --trip "$work/dev.qvetp" >/dev/null 2>&1; [ $? = 2 ] || fail "--trip naming the settings file"
"$cli" journals "$work/dev.qvetp" --refuel "$work/./dev.qvetp" >/dev/null 2>&1; [ $? = 2 ] || fail "--refuel naming the settings file"
cmp -s "$work/dev.qvetp" "$work/keep.qvetp" || fail "the settings file was overwritten"
"$cli" journals "$work/dev.qvetp" --trip "$work/same.txt" --refuel "$work/same.txt" >/dev/null 2>&1; [ $? = 2 ] || fail "one file for both journals"
echo ok
