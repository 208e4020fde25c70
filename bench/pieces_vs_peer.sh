#!/usr/bin/env bash
# `vernalo-cli pieces` on a 10 MB mixed Russian and English text (bench/mixed_prose.py) in
# word and sentence mode, output to /dev/null, beside `wc -w` on the same file: a streaming
# pass that finds every word and writes nothing, the floor for any cutter. ROUNDS rounds
# (default 5) taken in turn; prints MB/s of the medians and of the best runs. Then the peak
# memory of word mode on one 100 MB word, which must stay bounded (it is written out a slice
# at a time).
#
#   bench/pieces_vs_peer.sh [BUILD_DIR]     (default build/release; target vernalo-cli)
#   TEXT_MB=N   the text's size (default 10);  WORD_MB=N   the single word's (default 100)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
cli="$build/src/cli/vernalo-cli"
[ -x "$cli" ] || { echo "pieces_vs_peer: $cli not built (target vernalo-cli)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 bench/mixed_prose.py "$work/text.txt" "${TEXT_MB:-10}M"

nanos() { date +%s%N; }
run() {  # command...: prints its wall-clock nanoseconds
  local start
  start=$(nanos)
  "$@" >/dev/null 2>&1
  echo $(($(nanos) - start))
}

rounds=${ROUNDS:-5}
times=()
for ((i = 0; i < rounds; i++)); do
  times+=("$(run wc -w "$work/text.txt")")
  times+=("$(run "$cli" pieces --mode word "$work/text.txt")")
  times+=("$(run "$cli" pieces --mode sentence "$work/text.txt")")
done

# One word of WORD_MB megabytes, no blank in it.
word_mb=${WORD_MB:-100}
head -c $((word_mb * 1024 * 1024)) /dev/zero | tr '\0' 'a' >"$work/word.txt"
peak=$( { /usr/bin/time -f '%M' "$cli" pieces --mode word "$work/word.txt" >/dev/null; } 2>&1 | tail -1)

echo "load: $(uptime | sed 's/.*load average: //')   text: $(wc -c <"$work/text.txt") bytes"
python3 - "$(wc -c <"$work/text.txt")" "$peak" "$word_mb" "${times[@]}" <<'PY'
import statistics, sys
size, peak, word_mb = int(sys.argv[1]) / 1e6, int(sys.argv[2]), int(sys.argv[3])
t = [int(x) / 1e9 for x in sys.argv[4:]]
for k, label in enumerate(("wc -w (peer)", "pieces, word mode", "pieces, sentence mode")):
    runs = t[k::3]
    m, b = statistics.median(runs), min(runs)
    print(f"{label:22} median {size / m:6.1f} MB/s  best {size / b:6.1f} MB/s   "
          f"runs (s): {' '.join(f'{x:.2f}' for x in runs)}")
print("earlier: word 9.3 MB/s, sentence 16.9 MB/s before the JSON writer; "
      "29 and 33 MB/s after it (goal >= 30 MB/s in both modes)")
print(f"one {word_mb} MB word, word mode: peak memory {peak / 1024:.0f} MB "
      "(30 MB word: 256 MB before and after the JSON writer)")
PY
