#!/usr/bin/env bash
# Exporting a long English text (well over 1,000 s of speech) with one voice to WAV and to MP3,
# beside espeak-ng -w writing the same text with the same voice, in the same run. Prints the
# median and best seconds of each over ROUNDS rounds (default 3), the seconds of sound, and the
# ratios to espeak-ng's.
#
#   bench/export_vs_espeak.sh [BUILD_DIR]     (default build/release; target vernalo-cli)
set -euo pipefail
build=${1:-build/release}
cli="$build/src/cli/vernalo-cli"
[ -x "$cli" ] || { echo "export_vs_espeak: $cli not built (target vernalo-cli)" >&2; exit 2; }
command -v espeak-ng >/dev/null || { echo "export_vs_espeak: espeak-ng not installed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Sentences of varied length from a fixed vocabulary, so that no two are the same.
python3 - "$work/text.txt" <<'PY'
import random, sys
words = ("the river morning quiet city window rain bread cheese tea book poem willow water "
         "light street friend winter summer garden house road market evening letter song "
         "child mother father teacher station train bridge island harbour forest mountain "
         "walked opened heard carried remembered found waited listened spoke answered "
         "slowly softly early later again together always never often under over near").split()
rnd = random.Random(18)
out = []
for p in range(240):
    sentences = []
    for s in range(rnd.randint(3, 6)):
        n = rnd.randint(5, 16)
        w = " ".join(rnd.choice(words) for _ in range(n))
        sentences.append(w[0].upper() + w[1:] + rnd.choice(".!?"))
    out.append(" ".join(sentences))
open(sys.argv[1], "w").write("\n".join(out) + "\n")
PY

# The voice vernalo-cli reads English with unless told: the built-in engine's first English
# voice, which is espeak-ng's en+f3.
espeak_voice=en+f3

seconds() { python3 -c "import sys; print(f'{(int(sys.argv[2]) - int(sys.argv[1])) / 1e9:.2f}')" "$@"; }
run() {  # command...: prints its wall-clock seconds
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  seconds "$start" "$end"
}

# Rounds taken in turn, so that a slow spell of a shared machine falls on all three alike;
# the medians are compared, and the best runs, which show each when nothing else ran.
rounds=${ROUNDS:-3}
times=()
for ((i = 0; i < rounds; i++)); do
  times+=("$(run espeak-ng -v "$espeak_voice" -w "$work/espeak.wav" -f "$work/text.txt")")
  times+=("$(run "$cli" say --no-ru --out "$work/export.wav" "$work/text.txt")")
  times+=("$(run "$cli" say --no-ru --out "$work/export.mp3" "$work/text.txt")")
done

python3 - "$work" "${times[@]}" <<'PY'
import statistics, sys, wave
work, t = sys.argv[1], list(map(float, sys.argv[2:]))
espeak, wav, mp3 = t[0::3], t[1::3], t[2::3]
def length(p):
    w = wave.open(p)
    return w.getnframes() / w.getframerate()
print(f"sound: espeak-ng {length(work + '/espeak.wav'):.0f} s, export {length(work + '/export.wav'):.0f} s")
te, be = statistics.median(espeak), min(espeak)
for label, runs in (("espeak-ng -w", espeak), ("export to WAV", wav), ("export to MP3", mp3)):
    m, b = statistics.median(runs), min(runs)
    each = " ".join(f"{x:.2f}" for x in runs)
    print(f"{label:14} median {m:6.2f} s ({m / te:.2f}x)  best {b:6.2f} s ({b / be:.2f}x)"
          f"   runs: {each}")
PY
