#!/usr/bin/env bash
# Builds the pack document and zip import fuzzers with clang (libFuzzer, ASan, UBSan) in their own build
# directory and runs each for a bounded time. Exit status is non-zero on any finding.
#   PLINKUM_FUZZ_SECONDS  seconds per target (default 30; four targets)
#   PLINKUM_FUZZ_BUILD_DIR  build directory (default build-fuzz/)
#   PLINKUM_FUZZ_JOBS  parallel compile jobs (default: all cores)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${PLINKUM_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${PLINKUM_FUZZ_SECONDS:-30}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPLINKUM_BUILD_FUZZ=ON -DPLINKUM_BUILD_TESTS=OFF -DPLINKUM_BUILD_BENCH=OFF \
  -DPLINKUM_SANITIZE="address;undefined" >/dev/null
cmake --build "$build" --parallel "${PLINKUM_FUZZ_JOBS:-$(nproc)}" --target fuzz_manifest fuzz_mechvibesconfig fuzz_keyboardsoundsprofile fuzz_ziparchive

testdata="$root/data/mechvibes"
corpora=$(mktemp -d)
trap 'rm -rf "$corpora"' EXIT
run() {
  local target=$1 seeds=$2 dict=$3 maxLength=${4:-1048576}
  local corpus="$corpora/$target"
  mkdir -p "$corpus"
  if [ -d "$here/corpus/$seeds" ]; then
    cp "$here/corpus/$seeds"/* "$corpus/"
  fi
  if [ "$seeds" = profile ]; then
    for f in "$root"/tests/data/keyboardsounds/*/profile.yaml "$root"/data/mouse-clicks/*/profile.yaml; do cp "$f" "$corpus/$(basename "$(dirname "$f")").yaml"; done
  fi
  if [ "$seeds" = config ] && [ -d "$testdata" ]; then
    for f in "$testdata"/*/config.json; do cp "$f" "$corpus/$(basename "$(dirname "$f")").json"; done
  fi
  echo "== $target for ${seconds}s"
  # Leaks and sanitizer reports fail the run; documents above 1 MiB (archives above 64 KiB,
  # which inflate to far more) are not worth the time.
  local log="$corpora/$target.log"
  if ! "$build/bin/$target" -max_total_time="$seconds" -max_len="$maxLength" -timeout=10 -rss_limit_mb=2048 \
      -dict="$here/$dict" -print_final_stats=1 -artifact_prefix="$build/$target-" "$corpus" >"$log" 2>&1; then
    cat "$log"
    return 1
  fi
  grep -E '^(Done|stat::(number_of_executed_units|peak_rss_mb))' "$log"
}
status=0
run fuzz_manifest manifest manifest.dict || status=1
run fuzz_mechvibesconfig config config.dict || status=1
run fuzz_keyboardsoundsprofile profile profile.dict || status=1
run fuzz_ziparchive zip zip.dict 65536 || status=1
exit $status
