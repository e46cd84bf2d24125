#!/usr/bin/env bash
# tripconf-cli on files and ports that are not what they should be: pipes,
# devices, folders, links and files that are no settings files. Each case
# must end at once with exit 1 and one line on stderr, and change nothing.
set -u
cli=$1
. "$(dirname "$0")/tool_test.sh"

# Runs the tool with a time limit; sets rc and err.
run() {
  timeout 20 "$cli" --english "$@" >/dev/null 2>"$work/err"
  rc=$?
  err=$(cat "$work/err")
  [ $rc != 124 ] || fail "$* hung"
}

"$cli" new --model 0xC000 -o "$work/good.qvetp" >/dev/null || fail "new"
mkfifo "$work/fifo"
mkdir "$work/folder"

# Not a regular file: refused at once by every command that reads settings.
for input in fifo folder /dev/null; do
  path=$work/$input
  [ "$input" = /dev/null ] && path=/dev/null
  for cmd in "info $path" "image $path -o $work/out.raw" "journals $path" \
             "preview $path --screen x4 -o $work/out.png" "write --port /dev/null $path"; do
    run $cmd
    [ $rc = 1 ] || fail "$cmd: exit $rc"
    grep -q "is not a regular file" <<<"$err" || fail "$cmd: $err"
    [ "$(wc -l <<<"$err")" = 1 ] || fail "$cmd: stderr is not one line"
  done
done
[ ! -e "$work/out.raw" ] && [ ! -e "$work/out.png" ] || fail "an output was written"

# Files that info rejects as settings files: the other readers say the same.
head -c 3000 /dev/zero >"$work/zeros"
printf '\x00\xc0\x0f' >"$work/short"
for f in zeros short; do
  run info "$work/$f"
  [ $rc = 1 ] || fail "info $f: exit $rc"
  expected=${err#*: }
  for cmd in "image $work/$f -o $work/out.raw" "journals $work/$f" "preview $work/$f --screen x1 -o $work/out.png"; do
    run $cmd
    [ $rc = 1 ] || fail "$cmd: exit $rc"
    [ "${err#*: }" = "$expected" ] || fail "$cmd said \"$err\", info \"$expected\""
  done
done

# Outputs: written through a link to the link's target; pipes, devices and
# folders refused and left as they are.
ln -s good.qvetp "$work/link.qvetp"
ln -s /dev/null "$work/null-link"
"$cli" image "$work/good.qvetp" -o "$work/plain.raw" >/dev/null || fail "image"
ln -s plain.raw "$work/raw-link"
echo old >"$work/plain.raw"
"$cli" image "$work/link.qvetp" -o "$work/raw-link" >/dev/null || fail "image through links"
[ -L "$work/raw-link" ] || fail "the output link was replaced by a file"
[ "$(stat -c %s "$work/plain.raw")" = 8128 ] || fail "the link's target was not written"
for out in "$work/fifo" "$work/folder" /dev/null "$work/null-link"; do
  for cmd in "image $work/good.qvetp -o $out" "preview $work/good.qvetp --screen x1 -o $out" \
             "journals $work/good.qvetp --trip $out"; do
    run $cmd
    [ $rc = 1 ] || fail "$cmd: exit $rc"
    grep -q "not a regular file" <<<"$err" || fail "$cmd: $err"
  done
done
[ -p "$work/fifo" ] && [ -d "$work/folder" ] && [ -c /dev/null ] && [ -L "$work/null-link" ] || fail "a refused output changed"

# read checks its output before it opens the port; a device that is no
# serial port is called so, not "in use".
for out in "$work/folder" "$work/fifo" "$work/no/such/folder/x.qvetp"; do
  run read --port /dev/null -o "$out" --connect-timeout 30
  [ $rc = 1 ] || fail "read -o $out: exit $rc"
  grep -q "Cannot write file\|not a regular file" <<<"$err" || fail "read -o $out: $err"
done
run read --port /dev/null -o "$work/new.qvetp"
[ $rc = 1 ] && grep -q "/dev/null is not a serial device" <<<"$err" || fail "read --port /dev/null: $err"
[ ! -e "$work/new.qvetp" ] || fail "read left a file"

# Settings files judged as the window judges them: cut after the sections,
# another model code or format version: taken with a warning; cut inside the
# sections, too short for the directory, random bytes: refused.
mkdir "$work/j"
j=$work/j
for n in 4000 8000 8129; do head -c $n "$work/good.qvetp" >"$j/cut$n"; done
head -c 1000 "$work/good.qvetp" >"$j/inside"
head -c 61 "$work/good.qvetp" >"$j/nodir"
head -c 5000 /dev/urandom >"$j/random"
{ printf '\x01\xc0'; tail -c +3 "$work/good.qvetp"; } >"$j/model"
for row in "cut4000:0:4130 of 8128 bytes are missing" "cut8000:0:130 of 8128 bytes" "cut8129:0:1 of 8128 bytes" \
           "model:0:model code 0xC001 is unknown" "inside:1:runs past the end of the image" \
           "nodir:1:shorter than the section directory" "random:1:does not look like a settings file"; do
  IFS=: read -r f want text <<<"$row"
  for cmd in "info $j/$f" "export $j/$f -o $j/out.json"; do
    run $cmd
    [ $rc = "$want" ] || fail "$cmd: exit $rc"
    grep -q "$text" <<<"$err" || fail "$cmd: $err"
  done
done
rm -rf "$j"

# Nothing but what the cases made is left: no temporary files.
left=$(ls -A "$work" | grep -v '^err$' | sort | tr '\n' ' ')
[ "$left" = "fifo folder good.qvetp link.qvetp null-link plain.raw raw-link short zeros " ] || fail "left: $left"
echo "cli files and ports: ok"
