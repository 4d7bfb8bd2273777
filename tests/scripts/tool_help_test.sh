#!/usr/bin/env bash
# A tool's --help: answered with no display at all (no X server, no Wayland, no Qt platform
# chosen), without running the tool, and naming the same long options as its manual page.
# Usage: tool_help_test.sh TOOL MANPAGE
set -euo pipefail
tool=$1 page=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
bare=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)

out=$("${bare[@]}" "$tool" --help 2>&1) || fail "$tool --help exits $? without a display: $out"
grep -q '^Usage' <<<"$out" || fail "$tool --help prints no usage: $out"

help_options=$(grep -oE -- '--[a-z][a-z-]*' <<<"$out" | sort -u)
page_options=$(sed 's/\\-/-/g' "$page" | grep -oE -- '--[a-z][a-z-]*' | sort -u)
[ -n "$help_options" ] || fail "$tool --help names no option"
if [ "$help_options" != "$page_options" ]; then
  diff <(echo "$help_options") <(echo "$page_options") | sed 's/^</  only in --help:/; s/^>/  only in the page:/' >&2 || true
  fail "$tool --help and $page name different options"
fi

# Every form of help (--help-all too) is answered without a display.
for help in $(grep -E '^--help' <<<"$help_options"); do
  "${bare[@]}" "$tool" "$help" >/dev/null 2>&1 || fail "$tool $help exits $? without a display"
done

# An unknown option is refused, also without a display, and nothing runs.
if out=$("${bare[@]}" "$tool" --no-such-option 2>&1); then
  fail "$tool accepts --no-such-option: $out"
fi
echo "$tool: --help and $(basename "$page") name $(wc -l <<<"$help_options") options alike"
