#!/usr/bin/env bash
# The Debian package: built by CPack from this build (or the .deb given), it
# holds the three programs, the desktop entry and icon, the notes and the font
# licence, depends on the libraries the programs use, and its tripconf-cli
# runs once unpacked.
#   package.sh BUILD        build the package into a scratch folder and check it
#   package.sh BUILD DEB    check that package
set -u
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

deb=${2:-}
if [ -z "$deb" ]; then
  cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/log" 2>&1 || { cat "$work/log"; fail "cpack"; }
  deb=$(ls "$work"/out/tripconf_*.deb) || fail "no package made"
fi

listing=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sort)
expected=$(printf '%s\n' ./usr/bin/tripconf ./usr/bin/tripconf-cli ./usr/bin/tripsim \
  ./usr/share/applications/tripconf.desktop ./usr/share/icons/hicolor/scalable/apps/tripconf.svg \
  ./usr/share/doc/tripconf/LICENSE-Terminus.txt ./usr/share/doc/tripconf/README.Debian \
  ./usr/share/doc/tripconf/copyright ./usr/share/man/man1/tripconf.1 ./usr/share/man/man1/tripconf-cli.1 \
  ./usr/share/man/man1/tripsim.1 ./usr/share/bash-completion/completions/tripconf-cli \
  ./usr/share/mime/packages/tripconf.xml ./usr/share/metainfo/tripconf.metainfo.xml \
  ./usr/share/icons/hicolor/scalable/mimetypes/application-x-tripconf-settings.svg \
  ./usr/share/icons/hicolor/scalable/mimetypes/application-x-tripconf-tank.svg \
  ./usr/share/icons/hicolor/scalable/mimetypes/application-x-tripconf-maintenance.svg | sort)
[ "$listing" = "$expected" ] || fail "files in $deb: $listing"

[ "$(dpkg-deb -f "$deb" Package)" = tripconf ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6network6 libqt6charts6 libpng16-16 libstdc++6 libc6; do
  grep -q "$lib" <<<"$depends" || fail "no dependency on $lib: $depends"
done

dpkg-deb -x "$deb" "$work/root" || fail "unpack"
"$work/root/usr/bin/tripconf-cli" --help >"$work/help" 2>&1 || fail "unpacked tripconf-cli --help"
grep -q 'restore-points' "$work/help" || fail "tripconf-cli --help lists its commands"
exit 0
