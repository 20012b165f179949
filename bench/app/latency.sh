#!/usr/bin/env bash
# Key-to-sound latency of `plinkum --headless` beside reference_player, the minimal player, both
# measured by latency_probe in the same run on a private Xvfb display and a private pulseaudio null
# sink; then the resident memory and idle CPU of plinkum after a minute of typing.
# Usage (from the build tree): bin/plinkum_latency.sh [PRESSES] [INTERVAL_MS] [THRESHOLD]
set -euo pipefail
bin=$(cd "$(dirname "$0")" && pwd)
presses=${1:-200}
interval=${2:-150}
threshold=${3:-0.005}
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=":$(cat "$work/display")"

cat >"$work/daemon.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$work/native
load-module module-null-sink sink_name=clicks rate=48000 format=float32le channels=2
set-default-sink clicks
PA
export PULSE_SERVER="unix:$work/native" PULSE_RUNTIME_PATH="$work/pulse"
HOME="$work" XDG_RUNTIME_DIR="$work" pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
  --use-pid-file=no --log-level=error -F "$work/daemon.pa" &
pids+=($!)
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done

probe() { "$bin/latency_probe" "$display" clicks.monitor "$1" "$2" "${3:-a}" "$threshold"; }
median() { sed -n 's/.*median \([0-9.]*\).*/\1/p' <<<"$1"; }

"$bin/reference_player" "$display" &
reference_pid=$!
pids+=($reference_pid)
sleep 1
probe 5 200 >/dev/null || true
reference=$(probe "$presses" "$interval")
kill "$reference_pid"
echo "reference_player:   $reference"

mkdir -p "$work/config/Plinkum"
# Full volume and no pitch spread, so the onset threshold sees the same kind of edge as the reference's.
printf '[General]\nvolume=1\npitchVariation=false\n' >"$work/config/Plinkum/Plinkum.conf"
env -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE DISPLAY="$display" HOME="$work" XDG_RUNTIME_DIR="$work" \
  XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" "$bin/plinkum" --headless 2>"$work/plinkum.log" &
plinkum_pid=$!
pids+=($plinkum_pid)
sleep 3
probe 5 200 >/dev/null || true
plinkum=$(probe "$presses" "$interval")
echo "plinkum --headless: $plinkum"

r=$(median "$reference")
p=$(median "$plinkum")
awk -v r="$r" -v p="$p" 'BEGIN { printf "median ratio plinkum/reference: %.2f (target <= 1.30)\n", p / r }'

# A minute of typing across the alphabet, then memory and the CPU of a minute's idling.
probe 600 100 alphabet >/dev/null
rss=$(awk '/VmRSS/ { print $2 }' "/proc/$plinkum_pid/status")
ticks() { awk '{ print $14 + $15 }' "/proc/$plinkum_pid/stat"; }
before=$(ticks)
sleep 60
after=$(ticks)
hz=$(getconf CLK_TCK)
echo "plinkum resident memory after a minute of typing: $((rss / 1024)) MiB ($rss KiB)"
awk -v t=$((after - before)) -v hz="$hz" 'BEGIN { printf "plinkum idle CPU over the next 60 s: %.2f %%\n", 100 * t / hz / 60 }'
