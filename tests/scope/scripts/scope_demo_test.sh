#!/usr/bin/env bash
# scripts/scope_demo.sh, offscreen for a few seconds: the window attaches to the looping demo,
# and when it closes the demo loop and its programs are gone and leave no segment behind.
set -euo pipefail
script=$1
bin=$2
export QT_QPA_PLATFORM=offscreen
out=$(mktemp)
trap 'rm -f "$out"' EXIT
SCOPE_DEMO_BIN=$bin "$script" --no-build --quit-after 4 >"$out" 2>&1 || { cat "$out"; echo "the demo script failed"; exit 1; }
sleep 0.5
if pgrep -f "^$bin/ktr4_demo|^$bin/ktr4-scope-tour" >/dev/null; then
  echo "a demo program outlived the window"; exit 1
fi
for f in /dev/shm/ktr4sim-scope-*; do
  [ -e "$f" ] || continue
  pid=${f##*-}
  if ! kill -0 "$pid" 2>/dev/null; then echo "stale segment $f left behind"; exit 1; fi
done
echo ok
