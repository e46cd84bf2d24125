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

# Edits every model takes, on every page (hidden ones with --force, so that
# the comparison shows them marked hidden on the models that hide them): the
# comparison names each change by its setting, and none is left as unnamed
# bytes. The extra-systems edit is made where the model has that page.
edits=(corrections.speed=5.0 corrections.air_temperature=3 sources.use_tank2=on limits.speed=130
       display.palette.day.3=31,31,31 display.role.night.digital.colour1=5 display.slot.x4.2.3=7 display.show.x4.2=off
       display.menu.params=delete:0 voice.mode.speed=B,N averages.price_gas=1 parking.rear.alarm=50
       tank.tare_points=2 tank.tare.1=12,240 maintenance.service_date=01.02.27 maintenance.item1_name=Belt
       trim.min_reading=1)

models=$("$cli" models | awk '{print $1}')
[ -n "$models" ] || fail "no models listed"
failed=0
for m in $models; do
  "$cli" new --model "$m" -o "$work/$m.qvetp" >/dev/null || fail "new $m"
  "$cli" export "$work/$m.qvetp" -o "$work/$m.json" >/dev/null || fail "export $m"
  "$cli" set --force "$work/$m.qvetp" -o "$work/$m-edited.qvetp" "${edits[@]}" >/dev/null || fail "set $m"
  if "$cli" set "$work/$m-edited.qvetp" -o "$work/$m-systems.qvetp" systems.list=types >/dev/null 2>&1; then
    mv "$work/$m-systems.qvetp" "$work/$m-edited.qvetp"
  fi
  "$cli" --english diff "$work/$m.qvetp" "$work/$m-edited.qvetp" >"$work/$m.diff"
  [ $? = 1 ] || fail "diff $m: exit not 1"
  if grep -q '^unnamed' "$work/$m.diff"; then
    echo "$m: a change left as unnamed bytes:"; grep '^unnamed' "$work/$m.diff"; failed=1
  fi
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
