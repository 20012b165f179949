#!/usr/bin/env bash
# Key-to-sound latency of `plinkum --headless` beside reference_player, the minimal player, both
# measured by latency_probe in the same run on a private Xvfb display and a private pulseaudio null
# sink; then plinkum's resident memory after a minute of typing, and what idling costs after it:
# the CPU share and wake-ups per second of plinkum and of the sound server.
# Usage (from the build tree): bin/plinkum_latency.sh [PRESSES] [INTERVAL_MS] [THRESHOLD] [IDLE_S]
set -euo pipefail
bin=$(cd "$(dirname "$0")" && pwd)
presses=${1:-200}
interval=${2:-150}
threshold=${3:-0.005}
idle=${4:-60}
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
pulse_pid=$!
pids+=($pulse_pid)
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

echo "plinkum typing a minute across the alphabet: $(probe 600 100 alphabet)"
rss=$(awk '/VmRSS/ { print $2 }' "/proc/$plinkum_pid/status")
echo "plinkum resident memory after a minute of typing: $((rss / 1024)) MiB ($rss KiB)"

# CPU ticks of the whole process, then its wake-ups: every context switch, voluntary or not, of
# every thread, since each one is the process being scheduled in again.
counters() {
  sed 's/.*) //' "/proc/$1/stat" | awk '{ printf "%d ", $12 + $13 }'
  { cat /proc/"$1"/task/*/status 2>/dev/null || true; } | awk '/ctxt_switches/ { s += $2 } END { print s }'
}
read -r plinkum_ticks plinkum_switches < <(counters "$plinkum_pid")
read -r pulse_ticks pulse_switches < <(counters "$pulse_pid")
start=$(date +%s.%N)
sleep "$idle"
read -r plinkum_ticks2 plinkum_switches2 < <(counters "$plinkum_pid")
read -r pulse_ticks2 pulse_switches2 < <(counters "$pulse_pid")
seconds=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { print e - s }')
hz=$(getconf CLK_TCK)
idle_cost() {
  awk -v name="$1" -v t=$(($3 - $2)) -v w=$(($5 - $4)) -v s="$seconds" -v hz="$hz" \
    'BEGIN { printf "%s idle over %.0f s after typing: CPU %.2f %%, %.1f wake-ups/s\n", name, s, 100 * t / hz / s, w / s }'
}
idle_cost "plinkum   " "$plinkum_ticks" "$plinkum_ticks2" "$plinkum_switches" "$plinkum_switches2"
idle_cost "pulseaudio" "$pulse_ticks" "$pulse_ticks2" "$pulse_switches" "$pulse_switches2"
