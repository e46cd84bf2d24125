#!/usr/bin/env bash
# tripconf-cli diff, export and import: settings compared, and as text that
# comes back byte for byte or is refused whole.
set -u
cli=$1
. "$(dirname "$0")/tool_test.sh"

"$cli" new --model 0xC000 -o "$work/a.qvetp" >/dev/null || fail "new"
"$cli" set "$work/a.qvetp" -o "$work/b.qvetp" corrections.speed=5.0 limits.speed=130 display.palette.day.3=31,31,31 >/dev/null || fail "set"

"$cli" diff "$work/a.qvetp" "$work/a.qvetp" >"$work/same"; [ $? = 0 ] && [ ! -s "$work/same" ] || fail "diff of a file with itself"
"$cli" --english diff "$work/a.qvetp" "$work/b.qvetp" >"$work/d"; [ $? = 1 ] || fail "diff of different files: exit not 1"
[ "$(cat "$work/d")" = "$(printf 'corrections.speed\tSpeed\t0.0\t5.0\t%%\t\nlimits.speed\tSpeed\t80\t130\tkm/h\t\nrecord 9\t\t2 bytes outside the controls differ\t\t\t')" ] ||
  fail "diff lines: $(cat "$work/d")"
"$cli" diff "$work/a.qvetp" "$work/missing" >/dev/null 2>&1; [ $? = 2 ] || fail "diff with a missing file: exit not 2"

"$cli" export "$work/b.qvetp" -o "$work/b.json" >/dev/null || fail "export"
"$cli" import "$work/a.qvetp" "$work/b.json" -o "$work/c.qvetp" >/dev/null || fail "import"
cmp -s "$work/b.qvetp" "$work/c.qvetp" || fail "export then import is not byte for byte"

# An edit in the text arrives through the editor; a bad one is refused with its line, nothing written.
sed 's/"limits.speed": "130"/"limits.speed": "120"/' "$work/b.json" >"$work/e.json"
"$cli" import "$work/a.qvetp" "$work/e.json" -o "$work/e.qvetp" >/dev/null || fail "import of an edited text"
[ "$("$cli" get "$work/e.qvetp" limits.speed)" = 120 ] || fail "the edited value did not arrive"
sed 's/"limits.speed": "130"/"limits.speed": "999"/' "$work/b.json" >"$work/bad.json"
sed 's/"limits.speed"/"limits.sped"/' "$work/b.json" >"$work/unknown.json"
for bad in bad unknown; do
  "$cli" --english import "$work/a.qvetp" "$work/$bad.json" -o "$work/x.qvetp" >/dev/null 2>"$work/err"
  [ $? = 1 ] || fail "import of $bad.json not refused"
  [ -e "$work/x.qvetp" ] && fail "a refused import wrote a file"
  grep -q "Line [0-9]*: .*Nothing has been changed." "$work/err" || fail "$bad.json: $(cat "$work/err")"
done
echo "cli diff/export/import: ok"
