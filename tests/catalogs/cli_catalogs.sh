#!/usr/bin/env bash
# tripconf-cli models, protocols and the model lines of info.
set -u
cli=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

models=$("$cli" models) || fail "models exit"
[ "$(wc -l <<<"$models")" = 18 ] || fail "models: not 18 lines"
grep -Eq '^0x4010 +ZR-11 +5$' <<<"$models" || fail "models first row"
grep -Eq '^0xC010 +ZR-72 +85$' <<<"$models" || fail "models last row"

prots=$("$cli" --english protocols 0x8002) || fail "protocols exit"
[ "$(wc -l <<<"$prots")" = 85 ] || fail "protocols: not 85 lines"
grep -Eq '^ +0 +11 +M74CAN$' <<<"$prots" || fail "protocols index 0"
grep -Eq '^ +84 +255 +Uni\.$' <<<"$prots" || fail "protocols index 84"
grep -Eq '^ +38 +63 +Tiggo$' <<<"$prots" || fail "protocol 63 name"
"$cli" protocols 20736 | grep -Eq '^ +1 +63 +Bosch$' || fail "decimal code, Bosch"

"$cli" protocols 0x1234 >/dev/null 2>"$work/err"; [ $? = 1 ] || fail "unknown model exit"
[ "$(wc -l <"$work/err")" = 1 ] || fail "unknown model: stderr is not one line"
"$cli" protocols 2>/dev/null; [ $? = 2 ] || fail "protocols without code"
"$cli" protocols 0x10000 2>/dev/null; [ $? = 2 ] || fail "code out of range"
"$cli" models extra 2>/dev/null; [ $? = 2 ] || fail "models with an argument"

"$cli" new --model 0x4010 -o "$work/a.qvetp" >/dev/null || fail "new"
info=$("$cli" --english info "$work/a.qvetp") || fail "info exit"
grep -q '^model name: *ZR-11$' <<<"$info" || fail "info model name"
grep -q '^protocol: *0: 41 Jan$' <<<"$info" || fail "info protocol"
"$cli" new --model 0x1234 -o "$work/b.qvetp" >/dev/null || fail "new unknown"
info=$("$cli" --english info "$work/b.qvetp") || fail "info unknown exit"
grep -q '^model name: *(unknown model code)$' <<<"$info" || fail "info unknown name"
grep -q '^protocol: *Unknown device model code 0x1234' <<<"$info" || fail "info unknown protocol"
echo ok
