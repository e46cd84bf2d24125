#!/usr/bin/env bash
# tripconf-cli preview: every screen of a fresh settings file as a 320 x 240 PNG.
set -u
cli=$1
. "$(dirname "$0")/tool_test.sh"

"$cli" new --model 0xC000 -o "$work/f.qvetp" >/dev/null || fail "new"
for screen in x1 x1list x4 x9 x6 menu dials graphs panel; do
  for scheme in day night; do
    out="$work/$screen-$scheme.png"
    "$cli" preview "$work/f.qvetp" --screen "$screen" --scheme "$scheme" -o "$out" >/dev/null 2>"$work/err" \
      || fail "$screen $scheme: $(cat "$work/err")"
    [ "$(od -An -tx1 -N8 "$out" | tr -d ' ')" = 89504e470d0a1a0a ] || fail "$screen: not a PNG"
    # IHDR width and height, big-endian, at bytes 16..23.
    [ "$(od -An -tx1 -j16 -N8 "$out" | tr -d ' ')" = 00000140000000f0 ] || fail "$screen: not 320 x 240"
  done
done
# A new file draws its dials and graphs (a screen of one colour, as black on
# black was, compresses to a few hundred bytes), and no two of them alike.
for picture in dials-day dials-night graphs-day graphs-night; do
  [ "$(stat -c %s "$work/$picture.png")" -gt 1000 ] || fail "$picture of a new file is one colour"
done
for a in dials-day dials-night graphs-day; do
  for b in dials-night graphs-day graphs-night; do
    [ "$a" != "$b" ] && cmp -s "$work/$a.png" "$work/$b.png" && fail "$a and $b of a new file are the same picture"
  done
done
"$cli" preview "$work/f.qvetp" --screen x4 --english -o "$work/en.png" >/dev/null || fail "english"
cmp -s "$work/en.png" "$work/x4-day.png" && fail "the English preview should differ from the Russian one"

"$cli" preview "$work/f.qvetp" --screen nosuch -o "$work/x.png" 2>/dev/null; [ $? = 2 ] || fail "unknown screen"
"$cli" preview "$work/f.qvetp" --screen x4 --scheme dusk -o "$work/x.png" 2>/dev/null; [ $? = 2 ] || fail "unknown scheme"
"$cli" preview "$work/missing" --screen x4 -o "$work/x.png" 2>/dev/null; [ $? = 1 ] || fail "missing file"
[ -e "$work/x.png" ] && fail "a failed preview left a file"
echo "cli preview: ok"
