# Sourced by the tool tests that talk to the simulated trip computer, whose
# arguments are tripconf-cli and tripsim ($cli, $sim): a work folder, fail(),
# start_sim, which starts tripsim on $work/tty (stopped on exit), and
# read_unit, which reads the unit into a settings file.
cli=$1
sim=$2
. "$(dirname "${BASH_SOURCE[0]}")/tool_test.sh"
simpid=
cleanup() { [ -n "$simpid" ] && kill "$simpid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

start_sim() {
  "$sim" --link "$work/tty" "$@" >"$work/sim.out" 2>&1 &
  simpid=$!
  for _ in $(seq 1 100); do [ -e "$work/tty" ] && break; sleep 0.1; done
  [ -e "$work/tty" ] || fail "tripsim made no link"
}

# read_unit FILE [--stop]: the unit's settings into $work/FILE; --stop ends
# the simulator after the read.
read_unit() {
  "$cli" read --port "$work/tty" -o "$work/$1" >/dev/null 2>&1 || fail "read from tripsim"
  if [ "${2:-}" = --stop ]; then
    kill "$simpid"; wait "$simpid" 2>/dev/null; simpid=
  fi
}
