#!/usr/bin/env bash
# Checks the C/C++ files a change touches: clang-format on the changed lines (.clang-format)
# and clang-tidy on the changed source files (.clang-tidy), with the compile commands of a
# build tree. Usage: scripts/check_style.sh [base [build-dir]]
# The base (also ORVANE_STYLE_BASE) defaults to where HEAD leaves origin/main, or the previous
# commit on main itself.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
build=${2:-"$here/build"}
if [ -n "${1:-${ORVANE_STYLE_BASE:-}}" ]; then
  base=${1:-$ORVANE_STYLE_BASE}
elif git rev-parse -q --verify origin/main >/dev/null &&
     [ "$(git merge-base HEAD origin/main)" != "$(git rev-parse HEAD)" ]; then
  base=$(git merge-base HEAD origin/main)
else
  base=HEAD~1
fi

mapfile -t changed < <(git diff --name-only --diff-filter=ACMR "$base" -- '*.cpp' '*.h')
if [ ${#changed[@]} -eq 0 ]; then
  echo "style: no C/C++ file changed since $(git rev-parse --short "$base")"
  exit 0
fi
echo "style: ${#changed[@]} C/C++ files changed since $(git rev-parse --short "$base")"
fail=0

# Only the lines the change touched: the rest of a file keeps its layout until it is edited.
format=$(git clang-format --quiet --diff "$base" -- "${changed[@]}" 2>&1 || true)
if [ -n "$format" ] && ! grep -qE '^(no modified files to format|clang-format did not modify any files)$' <<<"$format"; then
  echo "$format"
  echo "style: clang-format would change the lines above (git clang-format $base fixes them)"
  fail=1
fi

# Source files in the compile database; a changed header is checked through them.
[ -f "$build/compile_commands.json" ] || { echo "style: no $build/compile_commands.json (build first)" >&2; exit 1; }
sources=()
for file in "${changed[@]}"; do
  [[ $file == *.cpp ]] && grep -qF "\"$here/$file\"" "$build/compile_commands.json" && sources+=("$file")
done
if [ ${#sources[@]} -gt 0 ]; then
  if ! printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null; then
    echo "style: clang-tidy reports the problems above"
    fail=1
  fi
fi
[ $fail -eq 0 ] && echo "style: clean (${#sources[@]} sources through clang-tidy)"
exit $fail
