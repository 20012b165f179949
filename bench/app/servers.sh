#!/usr/bin/env bash
# Plinkum on each sound server a desktop runs, in one go: a private PulseAudio, then a private
# PipeWire with WirePlumber and its PulseAudio emulation (on their own session bus), each with one
# null sink. For each: the steady key-to-sound median and p90 of `plinkum --headless` (and its
# click-to-sound, left button, the keyboard pack's key sound lent to clicks) beside the
# minimal reference players (reference_player through the PulseAudio protocol with a 512-frame
# buffer; reference_pw natively with a 128-frame quantum), the first press after Plinkum has gone
# idle, its resident memory after a minute of typing, and what idling costs: CPU share and
# wake-ups per second of plinkum and of the server.
# Usage (from the build tree): bin/plinkum_servers.sh [PRESSES] [INTERVAL_MS] [THRESHOLD] [IDLE_S]
set -euo pipefail
bin=$(cd "$(dirname "$0")" && pwd)
presses=${1:-150}
interval=${2:-150}
threshold=${3:-0.005}
idle=${4:-30}
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

probe() { "$bin/latency_probe" "$display" clicks.monitor "$1" "$2" "${3:-a}" "$threshold"; }
field() { sed -n "s/.* $1 \([0-9.]*\).*/\1/p" <<<"$2"; }
steady() { local r; r=$(probe "$presses" "$interval" "${1:-a}"); echo "median $(field median "$r") ms, p90 $(field p90 "$r") ms ($(cut -d' ' -f1-6 <<<"$r"))"; }

# CPU ticks of the whole process, then its wake-ups: every context switch of every thread.
counters() {
  sed 's/.*) //' "/proc/$1/stat" | awk '{ printf "%d ", $12 + $13 }'
  { cat /proc/"$1"/task/*/status 2>/dev/null || true; } | awk '/ctxt_switches/ { s += $2 } END { print s }'
}
# idle_costs NAME=PID ...: samples every process over $idle seconds.
idle_costs() {
  local -A ticks switches
  local entry
  for entry in "$@"; do read -r ticks[$entry] switches[$entry] < <(counters "${entry#*=}"); done
  local start; start=$(date +%s.%N)
  sleep "$idle"
  local seconds; seconds=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { print e - s }')
  for entry in "$@"; do
    read -r t w < <(counters "${entry#*=}")
    awk -v name="${entry%%=*}" -v t=$((t - ticks[$entry])) -v w=$((w - switches[$entry])) -v s="$seconds" -v hz="$(getconf CLK_TCK)" \
      'BEGIN { printf "  idle %-15s CPU %.2f %%, %.1f wake-ups/s (over %.0f s)\n", name, 100 * t / hz / s, w / s, s }'
  done
}

# plinkum_run NAME: starts plinkum with its own settings folder; sets plinkum_pid.
plinkum_run() {
  mkdir -p "$work/$1/config/Plinkum"
  # Full volume and no pitch spread, so the onset threshold sees the same kind of edge as the references'.
  # Clicks play the same key sound at the same level, so key and click are timed alike.
  printf '[General]\nvolume=1\npitchVariation=false\nmouseClicks=true\nmousePack=sameAsKeyboard\nmouseVolume=1\n' \
    >"$work/$1/config/Plinkum/Plinkum.conf"
  env -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE DISPLAY="$display" HOME="$work/$1" \
    XDG_CONFIG_HOME="$work/$1/config" XDG_DATA_HOME="$work/$1/data" "$bin/plinkum" --headless 2>"$work/$1/plinkum.log" &
  plinkum_pid=$!
  pids+=($plinkum_pid)
  sleep 3
}

# The first press after plinkum has slept (it sleeps after 3 s of silence), five times. The
# recorder's own stream wakes the sink, so this is plinkum's wake, not a suspended card's.
first_after_idle() {
  local all=() r
  for _ in 1 2 3 4 5; do
    sleep 5
    r=$(probe 1 1000)
    all+=("$(field median "$r")")
  done
  printf '%s\n' "${all[@]}" | sort -n | awk '{ v[NR] = $1 } END { printf "  first press after idle:  median %s ms (each: ", v[int((NR + 1) / 2)] }'
  echo "${all[*]} ms)"
}

run_plinkum() {
  plinkum_run "$1"
  probe 5 200 >/dev/null || true
  echo "  plinkum --headless:      $(steady) [$(grep -o 'audio output.*' "$work/$1/plinkum.log" || true)]"
  echo "  click-to-sound (left):   $(steady button1)"
  first_after_idle
  echo "  typing a minute:         $("$bin/latency_probe" "$display" clicks.monitor 600 100 alphabet "$threshold" | cut -d' ' -f1-6)"
  local rss
  rss=$(awk '/VmRSS/ { print $2 }' "/proc/$plinkum_pid/status")
  echo "  resident memory then:    $((rss / 1024)) MiB ($rss KiB)"
  sleep 8
}

echo "== PulseAudio $(pulseaudio --version | awk '{ print $2 }')"
mkdir -p "$work/pa"
cat >"$work/pa/daemon.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$work/pa/native
load-module module-stream-restore
load-module module-suspend-on-idle
load-module module-null-sink sink_name=clicks rate=48000 format=float32le channels=2
set-default-sink clicks
PA
export PULSE_SERVER="unix:$work/pa/native" PULSE_RUNTIME_PATH="$work/pa/pulse" XDG_RUNTIME_DIR="$work/pa"
HOME="$work/pa" pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
  --use-pid-file=no --log-level=error -F "$work/pa/daemon.pa" &
pulse_pid=$!
pids+=($pulse_pid)
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
"$bin/reference_player" "$display" &
reference=$!
sleep 1
probe 5 200 >/dev/null || true
echo "  reference_player (512):  $(steady)"
kill "$reference"; wait "$reference" 2>/dev/null || true
run_plinkum pa
idle_costs plinkum="$plinkum_pid" pulseaudio="$pulse_pid"
kill "$plinkum_pid" "$pulse_pid"; wait "$plinkum_pid" "$pulse_pid" 2>/dev/null || true
unset PULSE_SERVER PULSE_RUNTIME_PATH

echo "== PipeWire $(pipewire --version | awk '/Linked/ { print $NF }') with WirePlumber and pipewire-pulse"
runtime="$work/pw/runtime"
mkdir -p "$runtime" && chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime" PIPEWIRE_RUNTIME_DIR="$runtime" HOME="$work/pw" \
  XDG_CONFIG_HOME="$work/pw/config" XDG_STATE_HOME="$work/pw/state"
read -r bus_address bus_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -sd' ')
pids+=($bus_pid)
export DBUS_SESSION_BUS_ADDRESS="$bus_address"
pipewire >/dev/null 2>&1 &
pw_pid=$!
pids+=($pw_pid)
for _ in $(seq 100); do [ -S "$runtime/pipewire-0" ] && break; sleep 0.1; done
wireplumber >/dev/null 2>&1 &
wp_pid=$!
pids+=($wp_pid)
pipewire-pulse >/dev/null 2>&1 &
pwpulse_pid=$!
pids+=($pwpulse_pid)
pw-cli create-node adapter '{ factory.name=support.null-audio-sink node.name=clicks media.class=Audio/Sink
  object.linger=true audio.rate=48000 audio.position=[FL FR] }' >/dev/null
for _ in $(seq 100); do pactl info 2>/dev/null | grep -q 'Default Sink: clicks' && break; sleep 0.1; done
"$bin/reference_player" "$display" &
reference=$!
sleep 1
probe 5 200 >/dev/null || true
echo "  reference_player (512):  $(steady)"
kill "$reference"; wait "$reference" 2>/dev/null || true
"$bin/reference_pw" "$display" 128 &
reference=$!
sleep 1
probe 5 200 >/dev/null || true
echo "  reference_pw (128):      $(steady)"
kill "$reference"; wait "$reference" 2>/dev/null || true
run_plinkum pw
idle_costs plinkum="$plinkum_pid" pipewire="$pw_pid" wireplumber="$wp_pid" pipewire-pulse="$pwpulse_pid"
