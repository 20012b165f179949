#!/usr/bin/env bash
# Installs what is missing, builds Plinkum and runs it. Arguments go to plinkum.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
exec "${PLINKUM_BUILD_DIR:-$root/build}/bin/plinkum" "$@"
