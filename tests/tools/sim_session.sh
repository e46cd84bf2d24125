# Sourced by the tool tests that talk to the simulated trip computer: a work
# folder, fail(), and start_sim, which starts tripsim on $work/tty (stopped on
# exit). Needs $sim set.
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
