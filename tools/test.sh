#!/usr/bin/env bash
# Installs what is missing (the test packages too), builds Plinkum and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh" --tests
"$root/tools/build.sh" -DPLINKUM_BUILD_TESTS=ON -DPLINKUM_BUILD_BENCH=ON
build=${PLINKUM_BUILD_DIR:-$root/build}
cd "$build"
ctest --output-on-failure --timeout 600 "$@"
