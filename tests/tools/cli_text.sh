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
[ "$(cat "$work/d")" = "$(printf 'corrections.speed\tSpeed\t0.0\t5.0\t%%\t\nlimits.speed\tSpeed\t80\t130\tkm/h\t\ndisplay.palette.day.3\tPalette · day · Color #3\t9,9,0\t31,31,31\t\t')" ] ||
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

# Texts the JSON library alone would take wrongly or answer with an internal
# error: each is refused with its line, and nothing is written.
mk() { sed "$1" "$work/b.json" >"$work/$2.json"; }
mk 's/"version": 1,/"version": 1, "extra": 1e400,/' overflow
mk 's/"format": "tripconf-settings"/"format": 5/' format5
mk 's/"limits.speed": "130"/"limits.speed": "130", "limits.speed": "120"/' duplicate
mk 's/"formatVersion": [0-9]*/"formatVersion": 1180591620717411303424/' huge
mk 's/"version": 1/"version": 4294967297/' wrapped
mk 's/"limits.speed": "130"/"limits.speed": "13\\u00000"/' nul
for row in "overflow:Line 3: .*number overflow" "format5:Line 2: .*not a tripconf settings text" \
           "duplicate:Line [0-9]*: .*appears twice" "huge:Line [0-9]*: .*formatVersion" "wrapped:Line 3: .*version is not 1" \
           "nul:Line [0-9]*: .*NUL"; do
  name=${row%%:*}; want=${row#*:}
  "$cli" --english import "$work/a.qvetp" "$work/$name.json" -o "$work/x.qvetp" >/dev/null 2>"$work/err"
  [ $? = 1 ] || fail "import of $name.json: not refused"
  grep -q "$want.*Nothing has been changed" "$work/err" || fail "$name.json: $(cat "$work/err")"
  grep -q "Internal error" "$work/err" && fail "$name.json: an internal error"
  [ -e "$work/x.qvetp" ] && fail "a refused import of $name.json wrote a file"
done

# A text exported in one language imports in the other, byte for byte.
"$cli" --english export "$work/b.qvetp" -o "$work/en.json" >/dev/null || fail "export in English"
"$cli" import "$work/a.qvetp" "$work/en.json" -o "$work/en.qvetp" >/dev/null || fail "an English text into Russian"
cmp -s "$work/b.qvetp" "$work/en.qvetp" || fail "English export, Russian import: not byte for byte"
"$cli" --english import "$work/a.qvetp" "$work/b.json" -o "$work/ru.qvetp" >/dev/null || fail "a Russian text into English"
cmp -s "$work/b.qvetp" "$work/ru.qvetp" || fail "Russian export, English import: not byte for byte"

# set KEY= with nothing after it is refused, not a silent success.
"$cli" --english set "$work/a.qvetp" -o "$work/x.qvetp" limits.speed= >/dev/null 2>"$work/err"
[ $? = 1 ] && grep -q "no value is given" "$work/err" || fail "set KEY=: $(cat "$work/err")"
[ -e "$work/x.qvetp" ] && fail "set KEY= wrote a file"

# Files whose bytes or lengths differ are never called equal.
head -c 8129 "$work/a.qvetp" >"$work/cut.qvetp"
"$cli" diff "$work/a.qvetp" "$work/cut.qvetp" >"$work/d" 2>/dev/null; [ $? = 1 ] || fail "diff of a cut file: exit not 1"
grep -q "^image" "$work/d" || fail "diff of a cut file: $(cat "$work/d")"
echo "cli diff/export/import: ok"
