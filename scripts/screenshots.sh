#!/usr/bin/env bash
# Saves pictures of the tessa window in both size modes under a virtual X display.
# Usage: scripts/screenshots.sh [output-dir]   (default: build/screenshots)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-"$here/build/screenshots"}
"$here/scripts/setup.sh" "$here/build" >/dev/null
xvfb-run -a -s "-screen 0 1600x1200x24 -dpi 96" "$here/build/bin/tessa_screenshot" "$out"
