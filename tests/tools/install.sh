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
  share/bash-completion/completions/tripconf-cli
  share/man/man1/tripconf-cli.1
  share/man/man1/tripsim.1
  share/doc/tripconf/LICENSE-Terminus.txt
  share/doc/tripconf/README.Debian
  share/doc/tripconf/copyright
)
if [ "$with_window" = 1 ]; then
  expected+=(bin/tripconf share/applications/tripconf.desktop share/icons/hicolor/scalable/apps/tripconf.svg
    share/man/man1/tripconf.1 share/mime/packages/tripconf.xml share/metainfo/tripconf.metainfo.xml
    share/icons/hicolor/scalable/mimetypes/application-x-tripconf-settings.svg
    share/icons/hicolor/scalable/mimetypes/application-x-tripconf-tank.svg
    share/icons/hicolor/scalable/mimetypes/application-x-tripconf-maintenance.svg)
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
  grep -qx 'Exec=tripconf %f' "$desktop" || fail "desktop Exec"
  grep -qx 'MimeType=application/x-tripconf-settings;' "$desktop" || fail "desktop MimeType"
  grep -qx 'Icon=tripconf' "$desktop" || fail "desktop Icon"
  grep -qx 'Type=Application' "$desktop" || fail "desktop Type"
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
  appstreamcli validate --no-net "$work/usr/share/metainfo/tripconf.metainfo.xml" >"$work/log" 2>&1 ||
    fail "appstreamcli validate: $(cat "$work/log")"
  # The file types, in a private XDG data folder: each extension names its type.
  update-mime-database "$work/usr/share/mime" >/dev/null 2>&1 || fail "update-mime-database"
  "$work/usr/bin/tripconf-cli" new --model 0xC000 -o "$work/x.qvetp" >/dev/null || fail "new"
  head -c 245 /dev/zero >"$work/x.qveto"
  head -c 117 /dev/zero >"$work/x.qvett"
  cp "$work/x.qvetp" "$work/x.qvetg"
  for f in qvetp:settings qvetg:settings qveto:tank qvett:maintenance; do
    type=$(XDG_DATA_DIRS=$work/usr/share XDG_DATA_HOME=$work/home XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype "$work/x.${f%%:*}")
    [ "$type" = "application/x-tripconf-${f#*:}" ] || fail "xdg-mime query filetype x.${f%%:*}: $type"
  done
  grep -q 'xml:lang="ru"' "$work/usr/share/mime/packages/tripconf.xml" || fail "the file types have no Russian comments"
  grep -q '<svg' "$work/usr/share/icons/hicolor/scalable/apps/tripconf.svg" || fail "icon"
fi
exit 0
