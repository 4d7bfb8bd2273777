#!/usr/bin/env bash
# Cross-builds ktr4.dll for 32-bit Windows and checks its export table: every function of
# ktr4.h is exported undecorated at its fixed ordinal, and nothing else is exported.
# Usage: check_windows_exports.sh [build-dir]   or   check_windows_exports.sh --dll FILE
# (the second checks a DLL built elsewhere, such as the one in the Windows zip).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = "--dll" ]; then
  dll=${2:?--dll needs a file}
else
  build=${1:-"$here/build-win"}
  # shellcheck source=scripts/compiler_cache.sh
  . "$here/scripts/compiler_cache.sh"
  cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.cmake" \
    -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF -DORVANE_BUILD_TERMINAL=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)" --target ktr4 >/dev/null
  dll="$build/bin/ktr4.dll"
fi

expected=$(grep -v '^#' "$here/tests/windows/export_ordinals.txt" | awk 'NF==2 {print $2, $1}' | sort)
declared=$(grep -oE 'KTR4_CALL KTR4_[A-Za-z0-9_]+\(' "$here/cardlib/include/ktr4.h" | sed 's/KTR4_CALL //; s/($//' | sort)
dump=$(i686-w64-mingw32-objdump -p "$dll")
base=$(sed -n 's/.*Ordinal Base \([0-9]*\).*/\1/p' <<<"$dump")
exported=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" \
  | sed -n 's/^[[:space:]]*\[ *\([0-9]*\)\] \(.*\)$/\2 \1/p' \
  | awk -v base="$base" '{print $1, $2 + base}' | sort)
addresses=$(sed -n '/Export Address Table -- Ordinal Base/,/^$/p' <<<"$dump" | grep -c 'Export RVA' || true)
zero=$(sed -n '/Export Address Table -- Ordinal Base/,/^$/p' <<<"$dump" | grep -cE '\] 0+ Export RVA' || true)

fail=0
# The header's functions, with the ordinals the fixed table gives them.
want=$(join <(echo "$declared") <(echo "$expected") | sort)
missing_from_table=$(comm -23 <(echo "$declared") <(awk '{print $1}' <<<"$expected" | sort))
if [ -n "$missing_from_table" ]; then echo "declared in ktr4.h but not in the ordinal table: $missing_from_table"; fail=1; fi
if [ "$want" != "$exported" ]; then
  echo "ktr4.dll exports differ from ktr4.h at the fixed ordinals:"
  diff <(echo "$want") <(echo "$exported") || true
  fail=1
fi
if grep -q '@' <<<"$exported"; then echo "decorated names exported"; fail=1; fi
if [ $((addresses - zero)) -ne "$(wc -l <<<"$exported")" ]; then
  echo "ktr4.dll exports $((addresses - zero)) addresses but names $(wc -l <<<"$exported")"; fail=1
fi
if [ $fail -ne 0 ]; then echo "windows export check: FAILED"; exit 1; fi
echo "windows export check: $(wc -l <<<"$exported") exports of ktr4.h, undecorated, at their ordinals, nothing else"
