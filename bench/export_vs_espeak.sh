#!/usr/bin/env bash
# Exporting a long English text (well over 1,000 s of speech) with one voice to WAV and to MP3,
# beside espeak-ng -w writing the same text with the same voice, in the same run. Prints the
# seconds of each, the seconds of sound, and the ratios to espeak-ng.
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
run() {  # label, command...
  local label=$1; shift
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo "$(seconds "$start" "$end")"
}

t_espeak=$(run espeak espeak-ng -v "$espeak_voice" -w "$work/espeak.wav" -f "$work/text.txt")
t_wav=$(run wav "$cli" say --no-ru --out "$work/export.wav" "$work/text.txt")
t_mp3=$(run mp3 "$cli" say --no-ru --out "$work/export.mp3" "$work/text.txt")

python3 - "$work" "$t_espeak" "$t_wav" "$t_mp3" <<'PY'
import sys, wave
work, te, tw, tm = sys.argv[1], *map(float, sys.argv[2:])
def length(p):
    w = wave.open(p)
    return w.getnframes() / w.getframerate()
print(f"sound: espeak-ng {length(work + '/espeak.wav'):.0f} s, export {length(work + '/export.wav'):.0f} s")
print(f"espeak-ng -w      {te:7.2f} s")
print(f"export to WAV     {tw:7.2f} s  ({tw / te:.2f}x espeak-ng)")
print(f"export to MP3     {tm:7.2f} s  ({tm / te:.2f}x espeak-ng)")
PY
