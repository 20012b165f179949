#!/usr/bin/env bash
# Installs what is missing, builds Plinkum and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
build=${PLINKUM_BUILD_DIR:-$root/build}
cd "$build"
ctest --output-on-failure --timeout 600 "$@"
