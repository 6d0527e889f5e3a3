#!/usr/bin/env bash
# The main job, on a fresh Debian 12 machine as root.
#
# With a display (DISPLAY set): builds SETUP_Ortavia_on_line.exe and starts it
# under Wine in a fresh prefix, inside a Wine desktop window so that Program
# Manager answers; when the setup ends, lists what it installed.
# Without a display (or with ORTAVIA_RUN=sim): a complete installation on the
# default simulated Windows machine, printing what the user would have seen
# and where the files went.  Extra arguments go to ortavia-sim.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/deps.sh cmake ninja-build g++ make libgtest-dev libgmock-dev libbenchmark-dev

run_simulated() {
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/release -j2 --target ortavia-sim
  exec build/release/ortavia-sim "$@"
}

if [[ -z "${DISPLAY:-}" || "${ORTAVIA_RUN:-}" == sim ]]; then
  [[ -z "${DISPLAY:-}" ]] && echo "No display: playing the complete installation on the default simulated Windows machine instead."
  run_simulated "$@"
fi

bash scripts/deps.sh wine wine64
bash scripts/build_win32.sh
exe=$root/build/win32-x86_64/SETUP_Ortavia_on_line.exe

work=$(mktemp -d /tmp/ortavia-wine-XXXXXX)
export WINEPREFIX=$work/prefix HOME=$work/home WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$HOME"
echo "Wine prefix: $WINEPREFIX"
wine wineboot -i >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/Setup"
cp "$exe" "$WINEPREFIX/drive_c/Setup/"
echo "Starting SETUP_Ortavia_on_line.exe in a Wine desktop window; close that window when the setup has ended."
(cd "$WINEPREFIX/drive_c/Setup" && wine explorer /desktop=Ortavia,1024x768 'C:\Setup\SETUP_Ortavia_on_line.exe') || true
wineserver -w || true

echo
echo "Installed in the prefix:"
{
  find "$WINEPREFIX/drive_c/Ortavia_on_line" 2>/dev/null
  find "$WINEPREFIX/drive_c/windows/syswow64" -maxdepth 1 \( -iname MsWinsck.ocx -o -iname DAO360.dll -o -iname msinet.ocx \) 2>/dev/null
  find -L "$WINEPREFIX/drive_c/users" "$HOME" -iname 'Ortavia-on-line*' 2>/dev/null
} | sed "s|$WINEPREFIX/drive_c|C:|" | sort -u
