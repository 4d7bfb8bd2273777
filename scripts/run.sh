#!/usr/bin/env bash
# Builds if needed and runs the main program, the tessa serial terminal, with the simulated
# device answering on COM1 (TESSA_DEVICE_COM chooses another number).
# Usage: scripts/run.sh [--no-device] [tessa arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" "$here/build" >/dev/null
if [ "${1:-}" = "--no-device" ]; then
  shift
  exec "$here/build/bin/tessa" "$@"
fi
exec "$here/scripts/run_with_device.sh" "$here/build/bin" "$@"
