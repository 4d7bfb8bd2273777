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
if [ -f "$build/CMakeCache.txt" ]; then
  # Configured before: only an up-to-date check and what changed, so that an unchanged tree
  # reaches the window at once. Its output shows only when the build fails.
  # shellcheck disable=SC2086 # a list of target names
  if ! output=$(cmake --build "$build" -j"$(nproc)" --target $targets 2>&1); then
    printf '%s\n' "$output" >&2
    exit 1
  fi
else
  ORVANE_TARGETS="$targets" "$here/scripts/setup.sh" "$build" >/dev/null
fi
if [ "${1:-}" = "--no-device" ]; then
  shift
  exec "$build/bin/tessa" "$@"
fi
exec "$here/scripts/run_with_device.sh" "$build/bin" "$@"
