#!/usr/bin/env bash
# Builds the program file fuzz target with clang and libFuzzer and runs it.
# Usage: scripts/fuzz.sh [seconds, default 60] [extra libFuzzer args...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
build="$here/build-fuzz"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTESSA_BUILD_FUZZ=ON -DORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target tessa_program_fuzz
corpus="$build/program_file_corpus"
mkdir -p "$corpus"
printf '"(C)DAver"\r\n"SYSTEM DELAY 500"\r\n' >"$corpus/seed1.txt"
printf '"(H)  01 03 00 00 00 0A "\r\n"(C)  say "hi", ok"' >"$corpus/seed2.txt"
printf 'abc, def\n"open\r"' >"$corpus/seed3.txt"
exec "$(find "$build" -name tessa_program_fuzz -type f -perm -u+x | head -1)" -max_total_time="$seconds" -max_len=4096 "$corpus" "$@"
