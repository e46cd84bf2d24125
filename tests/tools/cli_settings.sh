#!/usr/bin/env bash
# tripconf-cli new/info/image on fresh and garbage files.
set -u
cli=$1
. "$(dirname "$0")/tool_test.sh"

"$cli" new --model 0xC000 -o "$work/f.qvetp" >/dev/null || fail "new"
[ "$(stat -c %s "$work/f.qvetp")" = 8130 ] || fail "file size"
[ "$(od -An -tx1 -N2 "$work/f.qvetp" | tr -d ' ')" = 00c0 ] || fail "header bytes"

info=$("$cli" --english info "$work/f.qvetp") || fail "info exit"
grep -q '^model code: *0xC000' <<<"$info" || fail "info model code"
grep -q '^image length: *8128' <<<"$info" || fail "info length"
grep -q '^section count: *11' <<<"$info" || fail "info count"
grep -Eq '^ +11 +2400 +668 +664' <<<"$info" || fail "info row 11"

"$cli" image "$work/f.qvetp" -o "$work/f.raw" >/dev/null || fail "image"
[ "$(stat -c %s "$work/f.raw")" = 8128 ] || fail "raw size"
[ "$(od -An -tu1 -N1 "$work/f.raw" | tr -d ' ')" = 11 ] || fail "raw starts with the section count"

"$cli" new --model 49152 -o "$work/d.qvetp" >/dev/null && cmp -s "$work/f.qvetp" "$work/d.qvetp" || fail "decimal model code"

# Garbage: exit 1 with one line on stderr, never a crash.
head -c 3000 /dev/urandom >"$work/garbage"
printf '\x01' >"$work/tiny"
: >"$work/empty"
head -c 9000 /dev/zero >"$work/huge"
for f in garbage tiny empty huge missing; do
  "$cli" --english info "$work/$f" >/dev/null 2>"$work/err"
  rc=$?
  [ $rc = 1 ] || fail "info $f gave exit $rc"
  [ "$(wc -l <"$work/err")" = 1 ] || fail "info $f: stderr is not one line"
done

# Bad usage: exit 2.
"$cli" info 2>/dev/null; [ $? = 2 ] || fail "info without file"
"$cli" new --model 0x10000 -o "$work/x" 2>/dev/null; [ $? = 2 ] || fail "model code out of range"
"$cli" frobnicate 2>/dev/null; [ $? = 2 ] || fail "unknown command"
echo "cli settings commands: ok"
