#!/usr/bin/env bash
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/ and
# runs the suite there. Expects the packages of install-deps.sh --tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PLINKUM_ASAN_BUILD_DIR:-$root/build-asan}
PLINKUM_BUILD_DIR=$build "$root/tools/build.sh" -DPLINKUM_SANITIZE="address;undefined" -DPLINKUM_BUILD_BENCH=OFF
cd "$build"
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1} \
LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan-suppressions.txt} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
  ctest --output-on-failure --timeout 900 "$@"
