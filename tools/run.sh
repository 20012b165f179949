#!/usr/bin/env bash
# Installs what is missing, builds Plinkum and runs it. Arguments go to plinkum.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
build=${PLINKUM_BUILD_DIR:-$root/build}
if [ -x "$build/bin/plinkum" ]; then
  exec "$build/bin/plinkum" "$@"
fi
echo "Plinkum: the application is not built yet; the command-line tool is:" >&2
exec "$build/bin/plinkum-pack" --help
