#!/usr/bin/env bash
# Builds what it runs if needed (the terminal and the simulated device, nothing else) and runs
# the main program, the tessa serial terminal, with the simulated device answering on COM1
# (TESSA_DEVICE_COM chooses another number).
# Usage: scripts/run.sh [--no-device] [tessa arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"
targets="tessa tessa_device_program"
[ "${1:-}" = "--no-device" ] && targets="tessa"
# Up to date when no source or CMake file of a program is newer than the program (a look at
# file times, far quicker than asking the build tool on a busy machine).
# A build that changed nothing leaves the program's time alone, so the time of the last build
# this script made (the stamp) counts too: a CMake file edited since then is built once, not on
# every run.
stamp="$build/.run-built"
newer_sources() {  # program, then its source folders
  local program=$1 since=$1
  shift
  [ -x "$program" ] || { echo "$program"; return; }
  [ "$stamp" -nt "$program" ] && since=$stamp
  find "$@" "$here/cmake" "$here/CMakeLists.txt" \
       \( -name '*.cpp' -o -name '*.h' -o -name '*.cmake' -o -name CMakeLists.txt \) \
       -newer "$since" -print -quit 2>/dev/null
}
up_to_date() {
  [ -z "$(newer_sources "$build/bin/tessa" "$here/terminal")" ] || return 1
  [ "$targets" = "tessa" ] || [ -z "$(newer_sources "$build/bin/tessa-device" "$here/devicesim")" ]
}
if [ -f "$build/CMakeCache.txt" ]; then
  if ! up_to_date; then
    # Configured before: only what changed. Its output shows only when the build fails.
    # shellcheck disable=SC2086 # a list of target names
    if ! output=$(cmake --build "$build" -j"$(nproc)" --target $targets 2>&1); then
      printf '%s\n' "$output" >&2
      exit 1
    fi
    touch "$stamp"
  fi
else
  ORVANE_TARGETS="$targets" "$here/scripts/setup.sh" "$build" >/dev/null
fi
if [ "${1:-}" = "--no-device" ]; then
  shift
  exec "$build/bin/tessa" "$@"
fi
exec "$here/scripts/run_with_device.sh" "$build/bin" "$@"
