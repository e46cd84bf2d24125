#!/usr/bin/env bash
# What the shell gets besides the programs: the bash completion of
# tripconf-cli (sourced here, then asked as bash asks it) and the man pages
# (each rendered with man -l).
#   cli_shell.sh CLI COMPLETION MANPAGE...
set -u
cli=$1
completion=$2
shift 2
. "$(dirname "$0")/tool_test.sh"

# shellcheck source=/dev/null
. "$completion" || fail "the completion does not source"
# Completes the last word of the line given, as bash would; prints the choices.
choices() {
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _tripconf_cli 2>/dev/null
  printf '%s\n' "${COMPREPLY[@]}" | sort
}
[ "$(choices tripconf-cli restore-p)" = restore-points ] || fail "a command: $(choices tripconf-cli restore-p)"
[ "$(choices tripconf-cli --english tank-)" = $'tank-load\ntank-save' ] || fail "commands after --english"
[ "$(choices tripconf-cli help ser)" = $'service-load\nservice-save' ] || fail "help COMMAND"
[ "$(choices tripconf-cli get a.qvetp limits.spee)" = limits.speed ] || fail "a key: $(choices tripconf-cli get a.qvetp limits.spee)"
[ "$(choices tripconf-cli set a.qvetp -o b.qvetp corrections.spee)" = corrections.speed= ] || fail "set KEY="
[ "$(choices tripconf-cli read --re)" = $'--read-twice\n--reply-timeout\n--retry-budget' ] || fail "options"
[ "$(choices tripconf-cli preview a.qvetp --screen x1)" = $'x1\nx1list' ] || fail "an option's words"
choices tripconf-cli new --model 0xC0 | grep -qx 0xC000 || fail "model codes"
[ "$(choices tripconf-cli fields a.qvetp --json --a)" = --all ] || fail "fields options"
# Files by extension: settings for info, tank files for tank-load's second argument.
mkdir -p "$work/f/sub"
touch "$work/f/a.qvetp" "$work/f/b.qvetg" "$work/f/c.qveto" "$work/f/d.txt"
[ "$(choices tripconf-cli info "$work/f/")" = "$(printf '%s\n' "$work/f/a.qvetp" "$work/f/b.qvetg" "$work/f/sub" | sort)" ] ||
  fail "settings files: $(choices tripconf-cli info "$work/f/")"
[ "$(choices tripconf-cli tank-load "$work/f/a.qvetp" "$work/f/")" = "$(printf '%s\n' "$work/f/c.qveto" "$work/f/sub" | sort)" ] ||
  fail "tank files: $(choices tripconf-cli tank-load x "$work/f/")"
[ "$(choices tripconf-cli tank-load "$work/f/a.qvetp" -o "$work/f/")" = "$(printf '%s\n' "$work/f/a.qvetp" "$work/f/b.qvetg" "$work/f/sub" | sort)" ] ||
  fail "-o takes settings files"
# Every command of --help is completed.
for c in $("$cli" --help | awk '/^Commands:/ { on = 1; next } /^$/ { on = 0 } on && /^  [a-z]/ { print $1 }'); do
  choices tripconf-cli "$c" | grep -qx "$c" || fail "$c is not completed"
done

# The man pages render without a warning and carry their sections.
for page in "$@"; do
  out=$(MANWIDTH=80 man -l "$page" 2>"$work/err") || fail "man -l $page"
  [ ! -s "$work/err" ] || fail "man -l $page: $(cat "$work/err")"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES ENVIRONMENT; do
    grep -q "^$section" <<<"$out" || fail "$page has no $section"
  done
done
echo "cli shell: ok"
