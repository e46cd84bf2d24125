# Sourced by the tool tests: a work folder removed on exit, and fail().
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
