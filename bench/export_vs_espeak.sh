#!/usr/bin/env bash
# Exporting a mixed Russian and English text (about 100 KB, both languages in every paragraph,
# made from our own prose by bench/mixed_prose.py) to WAV and to MP3, beside espeak-ng -w
# writing the same text, in the same run. Prints the median and best seconds of each over
# ROUNDS rounds (default 5) taken in turn, the seconds of sound, and the ratios.
#
# The peer is `espeak-ng -v ru -w`: it reads the whole mixed text itself, the Latin words with
# its English rules, which is what a user of the plain engine would run on such a text. Plain
# `espeak-ng -w` (its English voice) is timed too, for reference: it spells the Cyrillic words
# out letter by letter, so it makes other (and more) sound.
#
#   bench/export_vs_espeak.sh [BUILD_DIR]     (default build/release; target vernalo-cli)
#   OLD_CLI=path/to/vernalo-cli  also times an earlier build in the same rounds
#   TEXT_BYTES=N                 the text's size (default 100000)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
cli="$build/src/cli/vernalo-cli"
[ -x "$cli" ] || { echo "export_vs_espeak: $cli not built (target vernalo-cli)" >&2; exit 2; }
command -v espeak-ng >/dev/null || { echo "export_vs_espeak: espeak-ng not installed" >&2; exit 2; }
old=${OLD_CLI:-}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 bench/mixed_prose.py "$work/text.txt" "${TEXT_BYTES:-100000}"

seconds() { python3 -c "import sys; print(f'{(int(sys.argv[2]) - int(sys.argv[1])) / 1e9:.2f}')" "$@"; }
run() {  # command...: prints its wall-clock seconds
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  seconds "$start" "$end"
}

# Rounds taken in turn, so that a slow spell of a shared machine falls on all alike; the
# medians are compared, and the best runs, which show each when nothing else ran.
rounds=${ROUNDS:-5}
labels=("espeak-ng -v ru -w" "espeak-ng -w (en)" "export to WAV" "export to MP3")
[ -n "$old" ] && labels+=("earlier, WAV" "earlier, MP3")
times=()
for ((i = 0; i < rounds; i++)); do
  times+=("$(run espeak-ng -v ru -w "$work/espeak.wav" -f "$work/text.txt")")
  times+=("$(run espeak-ng -w "$work/espeak-en.wav" -f "$work/text.txt")")
  times+=("$(run "$cli" say --out "$work/export.wav" "$work/text.txt")")
  times+=("$(run "$cli" say --out "$work/export.mp3" "$work/text.txt")")
  if [ -n "$old" ]; then
    times+=("$(run "$old" say --out "$work/old.wav" "$work/text.txt")")
    times+=("$(run "$old" say --out "$work/old.mp3" "$work/text.txt")")
  fi
done

echo "load: $(uptime | sed 's/.*load average: //')   text: $(wc -c <"$work/text.txt") bytes"
python3 - "$work" "${#labels[@]}" "${labels[@]}" "${times[@]}" <<'PY'
import statistics, sys, wave
work, n = sys.argv[1], int(sys.argv[2])
labels, t = sys.argv[3:3 + n], list(map(float, sys.argv[3 + n:]))
def length(p):
    w = wave.open(p)
    return w.getnframes() / w.getframerate()
print(f"sound: espeak-ng -v ru {length(work + '/espeak.wav'):.0f} s, "
      f"espeak-ng (en) {length(work + '/espeak-en.wav'):.0f} s, export {length(work + '/export.wav'):.0f} s")
peer = t[0::n]
tp, bp = statistics.median(peer), min(peer)
for k, label in enumerate(labels):
    runs = t[k::n]
    m, b = statistics.median(runs), min(runs)
    each = " ".join(f"{x:.2f}" for x in runs)
    print(f"{label:19} median {m:6.2f} s ({m / tp:.2f}x)  best {b:6.2f} s ({b / bp:.2f}x)"
          f"   runs: {each}")
print("goal: WAV <= 0.90x, MP3 <= 1.20x of espeak-ng -v ru -w (medians); "
      "before this round 1.05x and 1.53x (best of three)")
PY
