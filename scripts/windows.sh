#!/usr/bin/env bash
# The Windows build, made and tested on Linux: installs mingw-w64 (posix
# threads) and wine, builds GoogleTest for Windows from Debian's sources,
# cross-builds the core, tripconf-cli.exe and the core tests into
# build-windows/ (CMake preset windows-cross), runs the tests under wine,
# then reads and writes the simulated trip computer through a wine COM port
# and packs build-windows/tripconf-cli-windows.zip.
#   scripts/windows.sh            everything
#   scripts/windows.sh --no-com   without the COM-port test
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
com_test=1
[ "${1:-}" = "--no-com" ] && com_test=0

jobs=${JOBS:-2}
export CCACHE_BASEDIR="$root"
start=$(date +%s)

# What the cross build needs, besides the Linux build's packages (tripsim and
# the Linux tripconf-cli for the COM-port test come from scripts/deps.sh).
packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64 googletest zip
          nlohmann-json3-dev libcli11-dev cmake ninja-build ccache)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

out=$root/build-windows
deps=$out/deps
toolchain=$root/cmake/mingw-w64-x86_64.cmake
mkdir -p "$deps"

# GoogleTest for Windows, from the sources Debian ships in /usr/src/googletest.
if [ ! -f "$deps/lib/libgtest.a" ]; then
  echo "== GoogleTest for Windows =="
  cmake -S /usr/src/googletest -B "$out/deps-build/googletest" -G Ninja --toolchain "$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DTRIPCONF_WINDOWS_DEPS="$deps" \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
  cmake --build "$out/deps-build/googletest" -j"$jobs" >/dev/null
  cmake --install "$out/deps-build/googletest" >/dev/null
fi

# Header-only libraries: their headers and CMake files, copied out of the
# Linux /usr so that the cross build never searches the Linux headers.
for pkg in nlohmann-json3-dev libcli11-dev; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || continue
  dpkg -L "$pkg" | while read -r f; do
    case "$f" in
      /usr/include/*|/usr/share/cmake/*)
        if [ -f "$f" ]; then
          mkdir -p "$deps/$(dirname "${f#/usr/}")"
          cp -u "$f" "$deps/${f#/usr/}"
        fi ;;
    esac
  done
done

# wine in a private prefix inside the build folder, quiet and without windows.
export WINEPREFIX=$out/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== wine prefix =="
  wineboot -i >/dev/null 2>&1 || true
fi
# The server stays up between the test programs, detached from our output,
# and is stopped when this script ends however it ends.
wineserver -p </dev/null >/dev/null 2>&1 || true
# wine's own services start with the first program: start them here, away
# from the output that ctest and the test listing wait on.
wineboot </dev/null >/dev/null 2>&1 || true
sims=()
cleanup() {
  for p in "${sims[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -f "$WINEPREFIX"/dosdevices/com1[2-6]
  wineserver -k >/dev/null 2>&1 || true
}
trap cleanup EXIT

echo "== Cross build (mingw-w64) =="
cmake --preset windows-cross -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build "$out" -j"$jobs"
build_done=$(date +%s)
echo "Windows build: $((build_done - start)) s"

echo "== Core tests under wine =="
ctest --test-dir "$out" -j"$jobs" --output-on-failure -L core
tests_done=$(date +%s)
echo "Tests under wine: $((tests_done - build_done)) s"

if [ "$com_test" = 1 ]; then
  echo "== COM-port test: tripsim behind a wine COM port =="
  # The Linux tripsim and tripconf-cli (from the Linux build) are the reference.
  if [ ! -x build/tools/sim/tripsim ] || [ ! -x build/tools/cli/tripconf-cli ]; then
    cmake --preset default >/dev/null
  fi
  cmake --build --preset default -j"$jobs" --target tripsim tripconf-cli >/dev/null
  sim=$root/build/tools/sim/tripsim
  cli=$root/build/tools/cli/tripconf-cli
  wcli=(wine "$out/tools/cli/tripconf-cli.exe")
  work=$out/com-test
  rm -rf "$work"
  mkdir -p "$work"
  fail() { echo "COM-port test FAILED: $*" >&2; exit 1; }
  # tripsim on a pseudo-terminal, reachable in wine as COMn.
  start_sim() { # name comN options...
    local name=$1 com=$2
    shift 2
    "$sim" --link "$work/$name" --exit-with-parent "$@" >"$work/$name.log" 2>&1 &
    sims+=($!)
    for _ in $(seq 50); do [ -e "$work/$name" ] && break; sleep 0.1; done
    [ -e "$work/$name" ] || fail "tripsim did not start"
    ln -sfn "$(readlink -f "$work/$name")" "$WINEPREFIX/dosdevices/$com"
  }
  # The two programs' messages must agree once the port's names are taken out.
  same_message() { # what linux-text wine-text linux-port wine-port
    local l=${2//$4/PORT} w=${3//$5/PORT}
    w=${w//$'\r'/} # Windows ends its lines with CR LF
    # Where a line broke off depends on timing: the block it names may differ.
    l=$(sed -E 's/(Блок|Block) [0-9]+/\1 N/g' <<<"$l")
    w=$(sed -E 's/(Блок|Block) [0-9]+/\1 N/g' <<<"$w")
    [ -n "$l" ] && [ "$l" = "$w" ] || fail "$1: Linux said \"$2\", wine said \"$3\""
    echo "  $1: both say \"$w\""
  }
  # Cyrillic names all the way: the wine side's folder and files.
  wdir="$work/Папка Ёжика"
  mkdir -p "$wdir"
  start_sim unit com12 --memory "$work/unit.bin"
  (cd "$wdir" && "${wcli[@]}" read --port COM12 -o "Настройки.qvetp") || fail "wine read"
  "$cli" read --port "$work/unit" -o "$work/linux.qvetp" || fail "Linux read"
  cmp "$wdir/Настройки.qvetp" "$work/linux.qvetp" || fail "wine read differs from the Linux read"
  echo "  read through COM12 (\\\\.\\COM12): the same settings file as the Linux read"
  # A write from wine, checked by its own read-back, then by the Linux side.
  "$cli" set "$work/linux.qvetp" -o "$wdir/Изменённые.qvetp" corrections.speed=5.0 averages.price_petrol=45.6 >/dev/null
  (cd "$wdir" && "${wcli[@]}" write --port COM12 "Изменённые.qvetp") >"$work/write.txt" 2>&1 || { cat "$work/write.txt"; fail "wine write"; }
  "$cli" read --port "$work/unit" -o "$work/after.qvetp" || fail "Linux read after the write"
  "$cli" diff "$wdir/Изменённые.qvetp" "$work/after.qvetp" >/dev/null || fail "the unit does not hold what wine wrote"
  # The restore point the write names, in the wine user's %APPDATA%.
  point=$(grep -o '"[A-Z]:\\[^"]*AppData[^"]*\.qvetp"' "$work/write.txt" | tr -d '"')
  [ -n "$point" ] || fail "the write named no restore point in %APPDATA%"
  point=$(winepath -u "$point" 2>/dev/null)
  [ -f "$point" ] || fail "no restore point at $point"
  "$cli" diff "$point" "$work/linux.qvetp" >/dev/null || fail "the restore point is not what the unit held"
  echo "  write through COM12 verified by wine and by Linux; restore point in %APPDATA%"
  # Faults give the Linux messages: a port that does not exist, one held by
  # another of our programs, an adapter that vanishes in mid-read.
  lmsg=$("$cli" read --port COM16 -o "$work/missing.qvetp" 2>&1) && fail "Linux read of a missing port succeeded"
  wmsg=$("${wcli[@]}" read --port COM16 -o "$work/missing.qvetp" 2>&1) && fail "wine read of a missing port succeeded"
  same_message "missing port" "$lmsg" "$wmsg" COM16 COM16
  start_sim silent com13 --silent
  "${wcli[@]}" read --port COM13 -o "$work/held.qvetp" --connect-timeout 20 >/dev/null 2>&1 &
  holder=$!
  "$cli" read --port "$work/silent" -o "$work/held.qvetp" --connect-timeout 20 >/dev/null 2>&1 &
  lholder=$!
  sleep 3
  wmsg=$("${wcli[@]}" read --port COM13 -o "$work/busy.qvetp" 2>&1) && fail "wine opened a port another program holds"
  lmsg=$("$cli" read --port "$work/silent" -o "$work/busy.qvetp" 2>&1) && fail "Linux opened a port another program holds"
  kill "$holder" "$lholder" 2>/dev/null || true
  wait "$holder" "$lholder" 2>/dev/null || true
  same_message "busy port" "$lmsg" "$wmsg" "$work/silent" COM13
  # Every other request answered busy: a read takes over ten seconds, and its
  # tripsim ends a few seconds into it (wine needs a second to start).
  start_sim gone com14 --busy-every 2
  ( sleep 4; kill "${sims[-1]}" ) &
  vanishing=($!)
  wmsg=$("${wcli[@]}" read --port COM14 -o "$work/gone.qvetp" 2>&1) && fail "wine read from a vanished port succeeded"
  start_sim gone2 com15 --busy-every 2
  ( sleep 2; kill "${sims[-1]}" ) &
  vanishing+=($!)
  lmsg=$("$cli" read --port "$work/gone2" -o "$work/gone.qvetp" 2>&1) && fail "Linux read from a vanished port succeeded"
  wait "${vanishing[@]}"
  same_message "vanished port" "$lmsg" "$wmsg" "$work/gone2" COM14
  for f in missing busy gone held; do
    [ ! -e "$work/$f.qvetp" ] || fail "a failed read left $f.qvetp"
  done
  echo "COM-port test passed"
fi

# tripconf-cli.exe with a short README: the program carries its runtime
# (linked statically), so it needs no DLLs beside it.
echo "== Package =="
pkg=$out/package/tripconf-cli-windows
rm -rf "$out/package"
mkdir -p "$pkg"
x86_64-w64-mingw32-strip -o "$pkg/tripconf-cli.exe" "$out/tools/cli/tripconf-cli.exe"
sed 's/$/\r/' packaging/README-windows.txt >"$pkg/README-windows.txt"
if x86_64-w64-mingw32-objdump -p "$pkg/tripconf-cli.exe" | grep -i 'DLL Name' | grep -qiv -E 'kernel32|msvcrt|shell32|user32|advapi32|ole32|api-ms-win'; then
  echo "tripconf-cli.exe needs DLLs that Windows does not have:" >&2
  x86_64-w64-mingw32-objdump -p "$pkg/tripconf-cli.exe" | grep -i 'DLL Name' >&2
  exit 1
fi
(cd "$out/package" && rm -f ../tripconf-cli-windows.zip && zip -qr ../tripconf-cli-windows.zip tripconf-cli-windows)
echo "build-windows/tripconf-cli-windows.zip: $(unzip -l "$out/tripconf-cli-windows.zip" | tail -1)"
echo "Windows build and tests: $(( $(date +%s) - start )) s"
