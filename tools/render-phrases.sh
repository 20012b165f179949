#!/usr/bin/env bash
# Renders the measuring typing phrase with every built-in pack, for listening while tuning them.
#   tools/render-phrases.sh [OUT_DIR]      (default: build/phrases)
# Writes OUT_DIR/<pack>.wav, OUT_DIR/all-packs.wav (every pack in turn, 1 s apart) and, with sox
# installed, OUT_DIR/<pack>.png spectrograms and a level summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PLINKUM_BUILD_DIR:-$root/build}
out=${1:-$build/phrases}
packs=$build/share/plinkum/Packs
tool=$build/bin/plinkum-pack
[ -x "$tool" ] || { echo "render-phrases: $tool not built (cmake --build build --target plinkum-pack)" >&2; exit 1; }
[ -d "$packs" ] || { echo "render-phrases: no packs in $packs (cmake --build build --target builtin_packs)" >&2; exit 1; }
mkdir -p "$out"

# The typing phrase the packs are measured and loudness-matched on, as builtin_measure has it.
measure=$build/bin/builtin_measure
[ -x "$measure" ] || { echo "render-phrases: $measure not built (cmake --build build --target builtin_measure)" >&2; exit 1; }
keys=$("$measure" --phrase)

rendered=()
for dir in "$packs"/*/; do
  name=$(basename "$dir")
  # Mouse packs have no key sounds to type the phrase with.
  grep -q '"mouse"' "$dir/pack.json" && continue
  # As measured: full volume, stereo and pitch variation on, a fixed seed.
  "$tool" render "$dir" --keys "${keys% }" --out "$out/$name.wav" --volume 1 --seed 1
  rendered+=("$out/$name.wav")
done

if command -v sox >/dev/null; then
  inputs=()
  for f in "${rendered[@]}"; do inputs+=("|sox $(printf %q "$f") -p pad 0 1"); done
  sox -V1 "${inputs[@]}" "$out/all-packs.wav"
  printf '%-18s %10s %10s\n' pack "peak dB" "RMS dB"
  for f in "${rendered[@]}"; do
    sox -V1 "$f" -n spectrogram -x 1000 -y 300 -o "${f%.wav}.png"
    stats=$(sox -V1 "$f" -n stats 2>&1)
    printf '%-18s %10s %10s\n' "$(basename "${f%.wav}")" \
      "$(awk '/Pk lev dB/ {print $4}' <<<"$stats")" "$(awk '/RMS lev dB/ {print $4}' <<<"$stats")"
  done
fi
echo "rendered ${#rendered[@]} packs into $out"
