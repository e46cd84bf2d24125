#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Idempotent and quiet when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev libgl-dev
  qt6-translations-l10n  # Qt's own texts (standard buttons, file dialogs) in Russian
  qt6-charts-dev libqt6opengl6-dev  # the journal charts; Qt Charts' CMake files need Qt OpenGL's, which the package does not pull in
  libgtest-dev libgmock-dev
  libpng-dev nlohmann-json3-dev libcli11-dev  # libcli11-dev: the tools' command-line parser
  dpkg-dev
  jq  # the tool tests read --json output
  clang libclang-rt-14-dev
  console-setup-linux
  xvfb xauth
  strace  # scripts/link-trace.sh
  help2man  # the man pages of tripsim and tripconf
  desktop-file-utils appstream shared-mime-info xdg-utils libglib2.0-bin man-db  # the desktop files' checks and the man pages' rendering in the tests
)

# (The Windows cross build's packages, mingw-w64 and wine, are installed by
# scripts/windows.sh, which alone needs them.)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
