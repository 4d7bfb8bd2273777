#!/usr/bin/env bash
# Builds if needed and runs the main program, the tessa serial terminal.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" "$here/build" >/dev/null
exec "$here/build/bin/tessa" "$@"
