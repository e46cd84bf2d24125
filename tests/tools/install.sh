#!/usr/bin/env bash
# cmake --install into a scratch prefix: the programs, the desktop entry and
# its icon, and the notes and licences land where the package expects them,
# and the installed tools run.
set -u
build=$1
with_window=$2 # 1 when the window is built
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$work/usr" >"$work/log" 2>&1 || { cat "$work/log"; fail "cmake --install"; }

expected=(
  bin/tripconf-cli
  bin/tripsim
  share/doc/tripconf/LICENSE-Terminus.txt
  share/doc/tripconf/README.Debian
  share/doc/tripconf/copyright
)
if [ "$with_window" = 1 ]; then
  expected+=(bin/tripconf share/applications/tripconf.desktop share/icons/hicolor/scalable/apps/tripconf.svg)
fi
[ "$(cd "$work/usr" && find . -type f | sed 's|^\./||' | sort)" = "$(printf '%s\n' "${expected[@]}" | sort)" ] ||
  fail "installed files: $(cd "$work/usr" && find . -type f | sort | tr '\n' ' ')"
for p in tripconf-cli tripsim; do
  [ -x "$work/usr/bin/$p" ] || fail "$p is not executable"
done

"$work/usr/bin/tripconf-cli" --help >"$work/help" 2>&1 || fail "installed tripconf-cli --help"
grep -q 'restore-points' "$work/help" || fail "tripconf-cli --help lists its commands"
"$work/usr/bin/tripsim" --help >/dev/null 2>&1 || fail "installed tripsim --help"
grep -q 'SIL Open Font License' "$work/usr/share/doc/tripconf/LICENSE-Terminus.txt" || fail "font licence"
grep -q 'dialout' "$work/usr/share/doc/tripconf/README.Debian" || fail "the serial-port note"

if [ "$with_window" = 1 ]; then
  desktop=$work/usr/share/applications/tripconf.desktop
  # The entry starts the installed program and names the installed icon.
  grep -qx 'Exec=tripconf' "$desktop" || fail "desktop Exec"
  grep -qx 'Icon=tripconf' "$desktop" || fail "desktop Icon"
  grep -qx 'Type=Application' "$desktop" || fail "desktop Type"
  if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
  fi
  grep -q '<svg' "$work/usr/share/icons/hicolor/scalable/apps/tripconf.svg" || fail "icon"
fi
exit 0
