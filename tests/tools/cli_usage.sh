#!/usr/bin/env bash
# The programs' --help and --version, each command's help, and bad usage:
# one line on stderr naming what was wrong, exit 2, nothing written.
set -u
cli=$1
sim=$2
. "$(dirname "$0")/tool_test.sh"

for p in "$cli" "$sim"; do
  out=$("$p" --version) || fail "$p --version"
  grep -Eq '^(tripconf-cli|tripsim) [0-9]+\.[0-9]+\.[0-9]+( \(git [^)]+\))?$' <<<"$out" || fail "$p --version said: $out"
  "$p" --help >"$work/help" || fail "$p --help"
  grep -q '^Usage: ' "$work/help" || fail "$p --help: no usage line"
done
grep -q -- '--late-block N:MS' "$work/help" || fail "tripsim --help: options"

# Every command answers COMMAND --help and help COMMAND alike, naming its usage.
commands=$("$cli" --help | awk '/^Commands:/ { on = 1; next } /^$/ { on = 0 } on && /^  [a-z]/ { print $1 }')
[ "$(wc -l <<<"$commands")" -ge 25 ] || fail "--help lists too few commands: $commands"
for c in $commands; do
  a=$("$cli" "$c" --help) || fail "$c --help"
  b=$("$cli" help "$c") || fail "help $c"
  [ "$a" = "$b" ] || fail "$c --help and help $c differ"
  grep -q "^Usage: tripconf-cli $c" <<<"$a" || fail "$c --help: $a"
done
"$cli" --help | grep -q '^Exit status:' || fail "--help: exit status"

"$cli" new --model 0xC000 -o "$work/a.qvetp" >/dev/null || fail "new"
# Bad usage: exit 2, one line naming the fault, no output file.
bad() { # EXPECTED-TEXT ARGS...
  local expected=$1
  shift
  "$cli" --english "$@" >"$work/out" 2>"$work/err"
  local rc=$?
  [ $rc = 2 ] || fail "$*: exit $rc"
  [ "$(wc -l <"$work/err")" = 1 ] || fail "$*: stderr is not one line: $(cat "$work/err")"
  grep -qF -- "$expected" "$work/err" || fail "$*: said $(cat "$work/err")"
  [ ! -s "$work/out" ] || fail "$*: wrote to stdout"
  [ ! -e "$work/x.qvetp" ] || fail "$*: left a file"
}
bad 'unknown option --frob' read --port /dev/null -o "$work/x.qvetp" --frob
bad 'unknown option --help-me' set "$work/a.qvetp" -o "$work/x.qvetp" --help-me limits.speed=100
bad '--port needs a value' write "$work/a.qvetp" --port
bad '-o needs a value' set "$work/a.qvetp" limits.speed=100 -o
bad 'unknown command "frobnicate"' frobnicate
bad 'expected one settings file' info "$work/a.qvetp" "$work/a.qvetp"
bad 'CODE must be a number' new --model 12x -o "$work/x.qvetp"
bad '--retry-budget must be a number' read --port /dev/null -o "$work/x.qvetp" --retry-budget -1
bad 'unknown option --json' set "$work/a.qvetp" -o "$work/x.qvetp" --json
bad '-o is given more than once' set "$work/a.qvetp" -o "$work/x.qvetp" -o "$work/y.qvetp"
bad 'expected one COMMAND' help info get
"$sim" --link "$work/tty" --seed 1x 2>"$work/err"; [ $? = 2 ] && grep -q -- '--seed needs a number' "$work/err" || fail "tripsim --seed 1x"
"$sim" --link "$work/tty" --frob 2>"$work/err"; [ $? = 2 ] && grep -q -- 'unknown option --frob' "$work/err" || fail "tripsim --frob"
[ ! -e "$work/tty" ] || fail "tripsim made a link after bad usage"
# A serial device the user may not open says why and what to do (root runs
# the tool as nobody on the simulator's pseudo-terminal, which only root may open).
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  "$sim" --link "$work/tty" >/dev/null 2>&1 &
  simpid=$!
  for _ in $(seq 1 100); do [ -e "$work/tty" ] && break; sleep 0.1; done
  pty=$(readlink "$work/tty")
  chmod 600 "$pty"
  chmod 755 "$work"
  for lang in --english ""; do
    setpriv --reuid=nobody --regid=nogroup --clear-groups "$cli" $lang read --port "$pty" -o /tmp/never.qvetp 2>"$work/err" >/dev/null
    rc=$?
    [ $rc = 1 ] && [ "$(wc -l <"$work/err")" = 1 ] || fail "read as nobody: exit $rc, $(cat "$work/err")"
    grep -qE "No permission for $pty: add yourself to the group dialout|Нет прав на $pty: добавьте себя в группу dialout" "$work/err" ||
      fail "read as nobody said: $(cat "$work/err")"
  done
  kill $simpid; wait $simpid 2>/dev/null
fi
echo "cli usage: ok"
