#!/usr/bin/env bash
# The text export and the comparison of every device model's reference
# settings, against the golden files in golden/: a change to a caption, a
# shown value, a key or the order of the controls shows up here as a diff.
#   cli_golden.sh CLI            compare
#   cli_golden.sh CLI --update   rewrite the golden files from this build
set -u
cli=$1
update=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
golden=$here/golden
. "$(dirname "$0")/tool_test.sh"

# Edits every model takes (hidden ones with --force, so that the comparison
# shows them marked hidden on the models that hide them).
edits=(corrections.speed=5.0 corrections.air_temperature=3 sources.use_tank2=on limits.speed=130
       display.palette.day.3=31,31,31)

models=$("$cli" models | awk '{print $1}')
[ -n "$models" ] || fail "no models listed"
failed=0
for m in $models; do
  "$cli" new --model "$m" -o "$work/$m.qvetp" >/dev/null || fail "new $m"
  "$cli" export "$work/$m.qvetp" -o "$work/$m.json" >/dev/null || fail "export $m"
  "$cli" set --force "$work/$m.qvetp" -o "$work/$m-edited.qvetp" "${edits[@]}" >/dev/null || fail "set $m"
  "$cli" --english diff "$work/$m.qvetp" "$work/$m-edited.qvetp" >"$work/$m.diff"
  [ $? = 1 ] || fail "diff $m: exit not 1"
  for f in "$m.json" "$m.diff"; do
    if [ "$update" = --update ]; then
      cp "$work/$f" "$golden/$f"
    elif ! cmp -s "$work/$f" "$golden/$f"; then
      echo "differs from golden/$f:"
      diff -u "$golden/$f" "$work/$f" | head -20
      failed=1
    fi
  done
done
# No golden file of a model that is no longer listed.
for f in "$golden"/*; do
  m=$(basename "$f"); m=${m%.*}
  grep -qx "$m" <<<"$models" || { echo "golden file of an unlisted model: $f"; failed=1; }
done
[ $failed = 0 ] || fail "the export or comparison changed (run with --update after checking the change)"
echo "cli golden export/diff: ok ($(wc -w <<<"$models") models)"
