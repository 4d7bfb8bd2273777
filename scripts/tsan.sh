#!/usr/bin/env bash
# Builds the card library's threaded tests under ThreadSanitizer and runs them: the stress
# test (application threads, follower timer, interrupts), the interrupt tests (among them the
# driver signalling through the event slot from another thread while it is replaced) and the
# live scope (sequence lock, publisher thread against the application).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-tsan"
# Only the test programs the selection below runs (and what they load) are built: a new
# threaded test program must be named here as well as in the selection.
ORVANE_TARGETS="ktr4_tests ktr4_stress_test cardsim_card_tests scope_core_tests scope_publisher_tests" \
  "$here/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_TSAN=ON \
  -DORVANE_BUILD_TERMINAL=OFF -DORVANE_BUILD_BENCH=OFF
cd "$build"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" KTR4_STRESS_MS=${KTR4_STRESS_MS:-4000} \
  ctest --output-on-failure --timeout 600 -R 'Stress|Interrupt|Pulser|Follower|ScopeSeqlock|ScopeFeed|ScopePublisher'
