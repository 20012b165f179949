#!/usr/bin/env bash
# Renders the same typing phrase with every built-in pack, for listening while tuning the packs.
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

# "The quick brown fox, typo fixed." with a shifted capital, spaces, a correction and Return.
# Strokes every 130-170 ms, each held 60-90 ms, like steady typing.
phrase=(lshift t h e space q u i c k space b r o w n space f o x x backspace space a l l return)
keys=""
t=0
i=0
for key in "${phrase[@]}"; do
  hold=$((60 + (i * 7) % 31))
  if [ "$key" = lshift ]; then
    keys+="lshift:down@$t "
    shift_up=$((t + 150))
  else
    keys+="$key:down@$t "
    if [ -n "${shift_up:-}" ]; then
      keys+="lshift:up@$shift_up "
      shift_up=""
    fi
    keys+="$key:up@$((t + hold)) "
  fi
  t=$((t + 130 + (i * 13) % 41))
  i=$((i + 1))
done

rendered=()
for dir in "$packs"/*/; do
  name=$(basename "$dir")
  "$tool" render "$dir" --keys "${keys% }" --out "$out/$name.wav"
  rendered+=("$out/$name.wav")
done

if command -v sox >/dev/null; then
  inputs=()
  for f in "${rendered[@]}"; do inputs+=("|sox $(printf %q "$f") -p pad 0 1"); done
  sox "${inputs[@]}" "$out/all-packs.wav"
  printf '%-18s %10s %10s\n' pack "peak dB" "RMS dB"
  for f in "${rendered[@]}"; do
    sox "$f" -n spectrogram -x 1000 -y 300 -o "${f%.wav}.png"
    stats=$(sox "$f" -n stats 2>&1)
    printf '%-18s %10s %10s\n' "$(basename "${f%.wav}")" \
      "$(awk '/Pk lev dB/ {print $4}' <<<"$stats")" "$(awk '/RMS lev dB/ {print $4}' <<<"$stats")"
  done
fi
echo "rendered ${#rendered[@]} packs into $out"
