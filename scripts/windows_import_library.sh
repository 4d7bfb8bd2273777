#!/bin/sh
# Makes the MinGW import library of ktr4.dll: callers compile against ktr4.h, whose
# __stdcall functions they reference decorated (_KTR4_initial@0), while the DLL exports them
# undecorated at the ordinals of ktr4.def. The decorations come from the library's objects.
# Usage: windows_import_library.sh DLLTOOL NM ktr4.def OUT.a OBJECT...
set -eu
dlltool=$1 nm=$2 def=$3 out=$4
shift 4
decorated=$("$nm" -g --defined-only "$@" | awk '$2 == "T" && $3 ~ /^_KTR4_[A-Za-z0-9_]+@[0-9]+$/ { print substr($3, 2) }')
{
  echo "LIBRARY ktr4.dll"
  echo "EXPORTS"
  awk '$2 ~ /^@[0-9]+$/ { print $1, $2 }' "$def" | while read -r name ordinal; do
    full=$(printf '%s\n' "$decorated" | grep -E "^$name@[0-9]+\$" || true)
    if [ -z "$full" ]; then echo "windows_import_library: $name is not defined in the objects" >&2; exit 1; fi
    echo "  $full $ordinal"
  done
} > "$out.def"
"$dlltool" --kill-at --input-def "$out.def" --dllname ktr4.dll --output-lib "$out"
rm -f "$out.def"
