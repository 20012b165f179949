#!/usr/bin/env bash
# Installs what building and running need, builds Plinkum without its tests and runs it from the
# build folder. Arguments go to plinkum.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh" -DPLINKUM_BUILD_TESTS=OFF -DPLINKUM_BUILD_BENCH=OFF
exec "${PLINKUM_BUILD_DIR:-$root/build}/bin/plinkum" "$@"
