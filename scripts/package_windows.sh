#!/usr/bin/env bash
# Cross-builds ktr4.dll for 32-bit Windows and packs the Windows zip (DLL, import library,
# headers, .def file, README, HTML reference). Prints the zip's path. Usage: package_windows.sh [build-dir]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build-win"}

cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.cmake" \
  -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF -DORVANE_BUILD_TERMINAL=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target ktr4 ktr4_import_library ktr4_reference >/dev/null
rm -f "$build"/ktr4-*-win32.zip
(cd "$build" && cpack -G ZIP >/dev/null)
ls "$build"/ktr4-*-win32.zip
