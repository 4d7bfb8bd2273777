#!/usr/bin/env bash
# Saves pictures of the tessa window in both size modes under a virtual X display:
# tessa_wide.png and tessa_narrow.png (the window after switching to the mode) and one
# picture per tab page in each mode, tessa_<wide|narrow>_tab<index>.png.
# Usage: scripts/screenshots.sh [output-dir]   (default: build/screenshots)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-"$here/build/screenshots"}
"$here/scripts/setup.sh" "$here/build" >/dev/null
xvfb-run -a -s "-screen 0 1600x1200x24 -dpi 96" "$here/build/bin/tessa_screenshot" "$out"
