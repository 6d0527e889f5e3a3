#!/usr/bin/env bash
# Builds the Windows program SETUP_Ortavia_on_line.exe with mingw-w64, on a
# fresh Debian 12 machine as root:
#   1. the four payload files as real Windows programs, padded to their sizes;
#   2. a native build of the packer, which packs them into Picture4..7.bmp;
#   3. the cross builds for x86_64 and i686, embedding those pictures;
#   4. a check that each program imports nothing but Windows' own DLLs.
# Output: $ORTAVIA_BUILD_ROOT/win32-{payload,host,x86_64,i686} (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${ORTAVIA_BUILD_ROOT:-$root/build}
bash scripts/deps.sh cmake ninja-build g++ make libgtest-dev libgmock-dev \
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686

echo "== payload programs"
bash src/platform/win32/payload_programs/build_payload.sh "$out/win32-payload" >/dev/null

echo "== payload pictures (native packer)"
cmake -S . -B "$out/win32-host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORTAVIA_BENCHMARKS=OFF \
  -DORTAVIA_PAYLOAD_SOURCE_DIR="$out/win32-payload" >/dev/null
cmake --build "$out/win32-host" -j2 --target ortavia_payload_pictures >/dev/null

# Windows' own DLLs; anything else (libstdc++-6, libgcc_s, libwinpthread-1)
# would have to ship beside the setup.
allowed='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|msvcrt)\.dll$'
for arch in x86_64 i686; do
  toolchain=cmake/toolchain-mingw64.cmake
  [[ $arch == i686 ]] && toolchain=cmake/toolchain-mingw32.cmake
  echo "== SETUP_Ortavia_on_line.exe ($arch)"
  cmake -S . -B "$out/win32-$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/$toolchain" -DORTAVIA_PAYLOAD_BMP_DIR="$out/win32-host/payload" >/dev/null
  cmake --build "$out/win32-$arch" -j2
  exe="$out/win32-$arch/SETUP_Ortavia_on_line.exe"
  imports=$("$arch-w64-mingw32-objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
  echo "imports: $(echo $imports)"
  bad=$(tr 'A-Z' 'a-z' <<<"$imports" | grep -Ev "$allowed" || true)
  if [[ -n "$bad" ]]; then
    echo "SETUP_Ortavia_on_line.exe ($arch) needs DLLs Windows does not have: $bad" >&2
    exit 1
  fi
done
