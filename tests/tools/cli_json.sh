#!/usr/bin/env bash
# tripconf-cli --json: one JSON document with the same facts as the table
# output. Each case rebuilds the table's lines from the document (jq) and
# compares them with what the command prints without --json.
set -u
. "$(dirname "$0")/sim_session.sh"
command -v jq >/dev/null || fail "jq is not installed (scripts/deps.sh)"
start_sim
read_unit dev.qvetp --stop
"$cli" set "$work/dev.qvetp" -o "$work/b.qvetp" corrections.speed=5.0 limits.speed=130 sources.detection=Руч. \
  display.palette.day.3=31,31,31 >/dev/null || fail "set"

# same NAME TABLE-LINES JSON-LINES
same() {
  [ -n "$2" ] || fail "$1: no lines"
  [ "$2" = "$3" ] || fail "$1: the table and the JSON differ: $(diff <(echo "$2") <(echo "$3") | head -5)"
}
squeeze() { awk '{ $1 = $1; print }'; }
yes_no='if . then "yes" else "no" end'

for lang in --english ""; do
  # info: the section rows and the model.
  "$cli" $lang info "$work/dev.qvetp" >"$work/t" && "$cli" $lang info "$work/dev.qvetp" --json >"$work/j" || fail "info"
  same "info sections" "$(grep -E '^ +[0-9]+ +[0-9]+ +[0-9]+ +(-|[0-9]+)' "$work/t" | awk '{ print $1, $2, $3, $4 }')" \
    "$(jq -r '.sections[] | "\(.k) \(.address) \(.length) \(.payload // "-")"' "$work/j")"
  same "info model" "$(sed -n 's/^model code: *//p; s/^image length: *//p; s/^section count: *//p; s/^format version: *//p; s/^model name: *//p' "$work/t")" \
    "$(jq -r '.model_code_hex, .image_length, .section_count, .format_version, .model_name' "$work/j")"
  same "info protocol" "$(sed -n 's/^protocol: *//p' "$work/t")" "$(jq -r '.protocol | "\(.index): \(.number) \(.name)"' "$work/j")"

  # fields --all: every column of every row.
  "$cli" $lang fields "$work/b.qvetp" --all >"$work/t" && "$cli" $lang fields "$work/b.qvetp" --all --json >"$work/j" || fail "fields"
  same "fields" "$(tail -n +2 "$work/t")" "$(jq -r ".fields[] | [.key, .page, .record, .offset, .bit // \"-\", .kind, .shown,
    (.visible | $yes_no), (.enabled | $yes_no), .mark // \"-\", .caption] | map(tostring) | join(\"\t\")" "$work/j")"
  same "fields visible" "$("$cli" $lang fields "$work/b.qvetp" | wc -l)" "$(( $("$cli" $lang fields "$work/b.qvetp" --json | jq '.fields | length') + 1 ))"

  # get: the shown text, for a number, a choice, a check box and a structured page's field.
  for key in corrections.speed sources.detection limits.speed sources.battery_compensation display.day_time; do
    same "get $key" "$("$cli" $lang get "$work/b.qvetp" "$key")" "$("$cli" $lang get "$work/b.qvetp" "$key" --json | jq -r .shown)"
  done
  [ "$("$cli" get "$work/b.qvetp" limits.speed --json | jq -c '[.kind, .min, .max]')" = '["number",40,200]' ] || fail "get --json: limits"

  # diff: exit 1 either way, the same rows.
  "$cli" $lang diff "$work/dev.qvetp" "$work/b.qvetp" >"$work/t"; rc=$?
  "$cli" $lang diff "$work/dev.qvetp" "$work/b.qvetp" --json >"$work/j"; jrc=$?
  [ $rc = 1 ] && [ $jrc = 1 ] || fail "diff exit $rc, with --json $jrc"
  same "diff" "$(cat "$work/t")" "$(jq -r --arg en "$lang" '(.settings[] | [.key, .name, .a, .b, .unit, (if .hidden then "hidden" else "" end)] | join("\t")),
    (.items[] | [.key, .name, .a, .b, "", (if .hidden then "hidden" else "" end)] | join("\t")),
    (.records[] | if $en == "" then "unnamed\tзапись \(.record), смещение \(.offset), байт: \(.bytes)\t\t\t\t"
                  else "unnamed\trecord \(.record), offset \(.offset), bytes: \(.bytes)\t\t\t\t" end)' "$work/j")"
  [ "$(jq .same "$work/j")" = false ] || fail "diff --json: same"
  "$cli" diff "$work/b.qvetp" "$work/b.qvetp" --json >"$work/j"; [ $? = 0 ] && [ "$(jq -c '[.same, .settings, .items, .records]' "$work/j")" = '[true,[],[],[]]' ] ||
    fail "diff --json of equal files"

  # systems, models, protocols.
  "$cli" $lang systems "$work/b.qvetp" >"$work/t" && "$cli" $lang systems "$work/b.qvetp" --json >"$work/j" || fail "systems"
  same "systems" "$(cat "$work/t")" "$(jq -r '"code\tselected\tname", (.systems[] | [.code, (.selected | '"$yes_no"'), .name] | map(tostring) | join("\t")),
    "show\t\(.show)", "list\t\(.list)"' "$work/j")"
  same "models" "$("$cli" $lang models | squeeze)" "$("$cli" $lang models --json | jq -r '.models[] | "\(.code_hex) \(.name) \(.protocols)"' | squeeze)"
  same "protocols" "$("$cli" $lang protocols 0xC000 | squeeze)" \
    "$("$cli" $lang protocols 0xC000 --json | jq -r '.protocols[] | "\(.index) \(.number) \(.name)"' | squeeze)"

  # journals: the whole printout, and the faults alone.
  "$cli" $lang journals "$work/dev.qvetp" >"$work/t" && "$cli" $lang journals "$work/dev.qvetp" --json >"$work/j" || fail "journals"
  same "journals" "$(cat "$work/t")" "$(jq -r --arg lang "$lang" '
    def heading(ru; en): if $lang == "" then ru else en end;
    heading("Журнал поездок"; "Trip log"), (.trip[] | join("\t")), "",
    heading("Журнал заправок"; "Petrol log"), (.refuel[] | join("\t")), "",
    heading("Средние"; "Average"), (.averages[] | .caption, (.rows[] | "    " + join("\t"))), "",
    heading("Журнал ошибок"; "Faults log"), (.faults[] | (.row | join("\t")), ((.freeze_frame // [])[] | "    " + join("\t")))' "$work/j")"
  same "journals --faults" "$("$cli" $lang journals "$work/dev.qvetp" --faults)" \
    "$("$cli" $lang journals "$work/dev.qvetp" --faults --json | jq -r '.faults[] | (.row | join("\t")), ((.freeze_frame // [])[] | "    " + join("\t"))')"
done

# restore-points: the folder's points, oldest first.
export XDG_DATA_HOME=$work/data
points=$XDG_DATA_HOME/tripconf/restore-points
[ "$("$cli" restore-points --json | jq -c .points)" = '[]' ] || fail "restore-points --json without points"
mkdir -p "$points"
cp "$work/dev.qvetp" "$points/C000_2025-01-31_12-00-05.qvetp"
cp "$work/dev.qvetp" "$points/C000_2024-12-01_08-30-00.qvetp"
printf '/dev/ttyUSB0' >"$points/C000_2025-01-31_12-00-05.qvetp.unit"
same "restore-points" "$("$cli" restore-points | squeeze)" \
  "$("$cli" restore-points --json | jq -r '.points[] | "\(.time) \(.model) \(.path) \(.unit)"' | squeeze)"
[ "$("$cli" restore-points --json | jq -r .folder)" = "$points" ] || fail "restore-points --json: folder"

# Every document is one JSON value on stdout; --json where there is none, or with an output, is bad usage.
for c in "info $work/b.qvetp" "models" "restore-points"; do
  [ "$("$cli" $c --json | jq -s length)" = 1 ] || fail "$c --json: not one document"
done
for c in "keys" "image $work/b.qvetp -o $work/x.raw" "journals $work/dev.qvetp --trip $work/x.txt"; do
  "$cli" $c --json >"$work/out" 2>"$work/err"; rc=$?
  [ $rc = 2 ] && [ ! -s "$work/out" ] && [ "$(wc -l <"$work/err")" = 1 ] || fail "$c --json: exit $rc"
done
[ ! -e "$work/x.raw" ] && [ ! -e "$work/x.txt" ] || fail "a refused --json wrote a file"
echo "cli json: ok"
