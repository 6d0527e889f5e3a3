#!/usr/bin/env bash
# Builds the four files the setup installs as real Windows programs and pads
# each to the exact size the installation run's last byte indices expect
# (zeros appended after the PE image, which the loader never reads):
#   Ortavia_on_line.exe  1617920 bytes   (windowed program)
#   MsWinsck.ocx          109248 bytes   (component DLL)
#   DAO360.dll            557328 bytes   (component DLL)
#   msinet.ocx            115920 bytes   (component DLL)
# They are 64-bit: the 64-bit setup starts regsvr32.exe, which is then the
# 64-bit tool, and Wine on these machines runs 64-bit programs only.
# Usage: build_payload.sh OUTDIR   (needs x86_64-w64-mingw32-gcc)
set -euo pipefail
out=${1:?usage: build_payload.sh OUTDIR}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
cc=x86_64-w64-mingw32-gcc
flags=(-std=c11 -O2 -s -Wall -Wextra -Werror -municode -static -Wl,--no-insert-timestamp)

pad() {  # FILE SIZE
  local actual
  actual=$(stat -c %s "$1")
  if ((actual > $2)); then
    echo "build_payload: $1 is $actual bytes, more than the $2 it must be padded to" >&2
    exit 1
  fi
  truncate -s "$2" "$1"
}

"$cc" "${flags[@]}" -mwindows -o "$out/Ortavia_on_line.exe" "$here/ortavia_on_line.c"
pad "$out/Ortavia_on_line.exe" 1617920
for entry in MsWinsck.ocx:109248 DAO360.dll:557328 msinet.ocx:115920; do
  name=${entry%%:*}
  size=${entry##*:}
  "$cc" "${flags[@]}" -shared -Wl,--kill-at -DORTAVIA_COMPONENT_NAME="L\"$name\"" \
    -o "$out/$name" "$here/component.c"
  pad "$out/$name" "$size"
done
ls -l "$out"
