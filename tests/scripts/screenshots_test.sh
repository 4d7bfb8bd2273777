#!/usr/bin/env bash
# The screenshot tool writes the window as it opens and every tab page in both size modes,
# each a real picture of the size of its mode.
# Usage: screenshots_test.sh TESSA_SCREENSHOT
set -uo pipefail
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$out/config"
"$1" "$out/pictures" >"$out/log" 2>&1 || { echo "FAIL: the tool failed"; cat "$out/log"; exit 1; }
failures=0
for mode in wide narrow; do
  for name in "tessa_$mode" "tessa_${mode}_tab0" "tessa_${mode}_tab1" "tessa_${mode}_tab2" "tessa_${mode}_tab3"; do
    file="$out/pictures/$name.png"
    if ! head -c 8 "$file" 2>/dev/null | od -An -tx1 | grep -q "89 50 4e 47"; then
      echo "FAIL: $name.png missing or not a PNG"; failures=$((failures + 1)); continue
    fi
    size=$(grep -o "$name.png ([0-9]*x[0-9]*)" "$out/log" | sed 's/.*(\(.*\))/\1/')
    case "$mode:$size" in
      wide:1095x494|narrow:610x824) ;;
      *) echo "FAIL: $name.png is $size"; failures=$((failures + 1)) ;;
    esac
  done
done
# Pages differ from each other: a tab that did not switch would give the same picture.
[ "$(md5sum "$out"/pictures/tessa_wide_tab*.png | cut -d' ' -f1 | sort -u | wc -l)" -eq 4 ] \
  || { echo "FAIL: the four wide pages are not four different pictures"; failures=$((failures + 1)); }
# The Port menu's additions on a pty (socat): the traffic log running, a decoded reply.
if command -v socat >/dev/null; then
  for name in tessa_traffic_log tessa_modbus_reply; do
    head -c 8 "$out/pictures/$name.png" 2>/dev/null | od -An -tx1 | grep -q "89 50 4e 47" \
      || { echo "FAIL: $name.png missing or not a PNG"; failures=$((failures + 1)); }
  done
fi
[ "$failures" -eq 0 ] && echo "screenshots: all pictures written"
exit "$failures"
