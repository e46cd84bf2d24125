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
echo "cli usage: ok"
