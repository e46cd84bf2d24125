#!/usr/bin/env bash
# tripconf-cli set on the maintenance, extra-systems and universal-input pages;
# service-save, service-load and systems.
set -u
cli=$1
. "$(dirname "$0")/tool_test.sh"

"$cli" new --model 0xC000 -o "$work/a.qvetp" >/dev/null || fail "new"

# Every model lists the maintenance page's 23 controls (and the reduced
# interval) and the 4 calibration points; the extra-systems values are keys.
for model in $("$cli" models | awk '{ print $1 }'); do
  "$cli" new --model "$model" -o "$work/m.qvetp" >/dev/null || fail "new $model"
  all=$("$cli" fields "$work/m.qvetp" --all) || fail "fields $model"
  [ "$(awk -F'\t' '$2 == "maintenance"' <<<"$all" | wc -l)" = 24 ] || fail "$model: maintenance controls"
  [ "$(awk -F'\t' '$2 == "trim"' <<<"$all" | wc -l)" = 4 ] || fail "$model: calibration controls"
done
[ "$("$cli" keys | grep -c '^systems\.')" = 4 ] || fail "systems keys"

# Dates, names, usage flags and systems as the editor stores them.
"$cli" set "$work/a.qvetp" -o "$work/b0.qvetp" maintenance.service_date=01.03.00 maintenance.item1_name=Свечи \
  maintenance.use_engine_hours=on systems.selected=27,77 systems.list=types >/dev/null || fail "set"
# 0xC000 shows no universal-input page: its controls are hidden, set only with --force.
grep -q 'hidden.*--force' < <("$cli" --english set "$work/b0.qvetp" -o "$work/r.qvetp" trim.min_adc=5 2>&1) || fail "set: a hidden page's control"
"$cli" set --force "$work/b0.qvetp" -o "$work/b.qvetp" trim.min_adc=5 >/dev/null || fail "set --force"
[ "$("$cli" peek "$work/b.qvetp" 5:8:4 5:52:16 5:20:32 5:108:2)" = \
  $'3e000000\nd1e2e5f7e80000000000000000000000\n8000000800000000002000000000000000000000000000000000000000000000\n0500' ] || fail "set: bytes"
[ "$("$cli" get "$work/b.qvetp" maintenance.item1_name)" = Свечи ] || fail "get name"
grep -q $'^27\tyes\tBosch ESP9$' < <("$cli" systems "$work/b.qvetp") || fail "systems: 27 selected"
grep -q $'^list\ttypes$' < <("$cli" systems "$work/b.qvetp") || fail "systems: list choice"

# Refusals: exit 1 and no output file.
for value in maintenance.service_date=31.02.24 maintenance.item1_name=ОченьДлинноеНазв trim.min_adc=1023 systems.add=9; do
  "$cli" --english set "$work/b.qvetp" -o "$work/r.qvetp" "$value" >/dev/null 2>"$work/err"
  [ $? = 1 ] || fail "set $value was not refused"
  [ -e "$work/r.qvetp" ] && fail "set $value left an output file"
done
grep -q 'Min and Max ADC Values should differ.' < <("$cli" --english set --force "$work/b.qvetp" -o "$work/r.qvetp" trim.min_adc=1023 2>&1) ||
  fail "ADC message"

# The maintenance file: 117 bytes, loaded into other settings.
"$cli" service-save "$work/b.qvetp" "$work/m.qvett" >/dev/null || fail "service-save"
[ "$(stat -c %s "$work/m.qvett")" = 117 ] || fail "service file size"
"$cli" service-load "$work/a.qvetp" "$work/m.qvett" -o "$work/c.qvetp" >/dev/null || fail "service-load"
[ "$("$cli" peek "$work/c.qvetp" 5:0:119)" = "$("$cli" peek "$work/b.qvetp" 5:0:119)" ] || fail "service-load: record 5"
# Bad files: exit 1, nothing written.
for in in "$work/missing.qvett" "$work"; do
  "$cli" service-load "$work/a.qvetp" "$in" -o "$work/x.qvetp" >/dev/null 2>&1
  [ $? = 1 ] || fail "service-load $in not refused"
done
[ -e "$work/x.qvetp" ] && fail "a refused load left a file"
"$cli" service-save "$work/b.qvetp" "$work" >/dev/null 2>&1; [ $? = 1 ] || fail "service-save into a folder"
"$cli" service-load "$work/a.qvetp" 2>/dev/null; [ $? = 2 ] || fail "service-load without -o"

# Both side files alike: longer than the format is refused with both sizes,
# shorter fills what it covers with a warning of how many bytes it held, and
# --strict refuses that too. Nothing is written on a refusal.
"$cli" tank-save "$work/b.qvetp" "$work/t.qveto" >/dev/null || fail "tank-save"
for row in "service m.qvett 117" "tank t.qveto 245"; do
  set -- $row; kind=$1; good=$work/$2; size=$3
  { cat "$good"; printf 'x'; } >"$work/long"
  head -c 1048576 /dev/zero >"$work/huge"
  head -c 40 "$good" >"$work/short"
  for bad in "long $((size + 1))" "huge 1048576"; do
    set -- $bad
    rm -f "$work/x.qvetp"
    "$cli" --english "$kind-load" "$work/a.qvetp" "$work/$1" -o "$work/x.qvetp" >/dev/null 2>"$work/err"
    [ $? = 1 ] || fail "$kind-load of $2 bytes not refused"
    grep -q "holds $2 bytes, $size are expected" "$work/err" || fail "$kind-load of $2 bytes: $(cat "$work/err")"
    [ -e "$work/x.qvetp" ] && fail "$kind-load of $2 bytes left a file"
  done
  "$cli" --english "$kind-load" "$work/a.qvetp" "$work/short" -o "$work/s.qvetp" >/dev/null 2>"$work/err" || fail "$kind-load short"
  grep -q "holds 40 of $size bytes" "$work/err" || fail "$kind-load short: no warning"
  rm -f "$work/x.qvetp"
  "$cli" --english "$kind-load" --strict "$work/a.qvetp" "$work/short" -o "$work/x.qvetp" >/dev/null 2>&1
  [ $? = 1 ] || fail "$kind-load --strict took a short file"
  [ -e "$work/x.qvetp" ] && fail "$kind-load --strict left a file"
done
echo "cli service commands: ok"
