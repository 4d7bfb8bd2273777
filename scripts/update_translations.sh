#!/usr/bin/env bash
# Refreshes tessa's English translation file from the sources: lupdate over terminal/ into
# terminal/translations/tessa_en.ts (new strings added, vanished ones dropped, no line numbers,
# so that branches merge cleanly). A new string whose source text is already English gets
# itself as its finished translation; a new Chinese one stays unfinished (lupdate may have
# guessed its English from the same text elsewhere) and is listed here:
# write its English in the .ts (<translation> without type="unfinished"). The build compiles
# the .ts into the program; ctest -R tessa_translations_complete checks nothing is left.
# Usage: scripts/update_translations.sh
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
lupdate=${LUPDATE:-/usr/lib/qt6/bin/lupdate}
ts="$here/terminal/translations/tessa_en.ts"

"$lupdate" -silent -recursive -extensions cpp,h -no-obsolete -locations none -target-language en \
  "$here/terminal" -ts "$ts"
python3 "$here/terminal/translations/fill_english_sources.py" "$ts"
python3 "$here/terminal/translations/check_translations.py" --lupdate "$lupdate" \
  --sources "$here/terminal" --ts "$ts" || true
