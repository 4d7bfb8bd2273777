#!/usr/bin/env bash
# Builds if needed and shows the simulated card moving: the ktr4 demo (axis 0) and the scope
# tour (a line, an arc, axes 2 and 3, a line) run in turn, over and over, with KTR4SIM_SCOPE
# set, and ktr4-scope watches them, moving on to each new run. Close the window to stop.
# Usage: scripts/scope_demo.sh [--no-build] [ktr4-scope arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = "--no-build" ]; then
  shift
else
  "$here/scripts/setup.sh" "$here/build" >/dev/null
fi
bin=${SCOPE_DEMO_BIN:-"$here/build/bin"}  # another build's programs (tests)

(
  export KTR4SIM_SCOPE=1
  while true; do
    "$bin/ktr4_demo" >/dev/null
    "$bin/ktr4-scope-tour" >/dev/null
  done
) &
programs=$!
# The loop and whichever program it is running stop with the window.
stop_programs() {
  local running
  running=$(pgrep -P "$programs" || true)
  kill "$programs" 2>/dev/null || true
  [ -n "$running" ] && kill $running 2>/dev/null || true
  wait "$programs" 2>/dev/null || true
  # A program ended by a signal cannot remove its own segment.
  for pid in $running; do rm -f "/dev/shm/ktr4sim-scope-$pid"; done
}
trap stop_programs EXIT
"$bin/ktr4-scope" "$@"
