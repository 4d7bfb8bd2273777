#!/usr/bin/env bash
# Builds and runs every test under AddressSanitizer and UndefinedBehaviorSanitizer. The
# randomised property tests run fewer cases here (KTR4_PROPERTY_CASES, default 20 000): the
# sanitizers look at the code paths, which a few thousand cases already cover.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" "$here/build-asan" -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON -DORVANE_BUILD_BENCH=OFF
cd "$here/build-asan"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  KTR4_PROPERTY_CASES=${KTR4_PROPERTY_CASES:-20000} \
  ctest --output-on-failure -j"$(nproc)" --timeout 600
