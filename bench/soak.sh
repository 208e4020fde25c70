#!/usr/bin/env bash
# A long reading on the test sound server: `vernalo-cli say` reads a 100 KB mixed Russian and
# English text in word mode with Repeat text on, and this script checks that it keeps going.
#   bench/soak.sh [MINUTES [CLI]]     (default 20 minutes, build/release/src/cli/vernalo-cli)
# CLI must be built with the audio device (VERNALO_GUI on). TEXT_KB sets the text's size
# (default 100; a few KB make the reading start over within minutes).
# Every 30 s it samples the program's resident memory (/proc) and the pieces highlighted so
# far (`say --print-pieces`). At the end it checks:
#   - memory after the first 2 minutes grows by less than 5 MB;
#   - the highlight never stops: a new piece within every 30 s, and the longest wait between
#     two pieces;
#   - the recording of the sound server's output holds no silence longer than 1 s.
# Exit status 0 when all three hold.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-20}
cli=$(realpath "${2:-build/release/src/cli/vernalo-cli}")
text_kb=${TEXT_KB:-100}
dir=$(mktemp -d /tmp/vernalo_soak.XXXXXX)
source scripts/test-services.sh
pid=
finish() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  vernalo_stop_services
  rm -rf "$dir"
}
trap finish EXIT
vernalo_start_services

# Sentences of one language or the other, and some of both, as a learner's text has them.
python3 - "$dir/text.txt" "$text_kb" <<'PY'
import random, sys
random.seed(14)
ru = "мама мыла раму сегодня хорошая погода мы читаем книгу вслух голос звучит чётко и ясно".split()
en = "the quick brown fox jumps over the lazy dog reading aloud helps learners hear words".split()
out, size = [], 0
while size < int(sys.argv[2]) * 1024:
    words = [random.choice(random.choice((ru, en))) for _ in range(random.randint(4, 12))]
    s = " ".join(words).capitalize() + random.choice([".", "!", "?", ",", ";"]) + " "
    if random.random() < 0.1:
        s += "\n"
    out.append(s)
    size += len(s.encode())
open(sys.argv[1], "w", encoding="utf-8").write("".join(out))
PY

offset=$(stat -c %s "$VERNALO_MONITOR")
# Each highlighted piece with the moment it was shown.
"$cli" say --mode word --repeat-text --print-pieces "$dir/text.txt" \
  > >(python3 -u -c '
import sys, time
for line in sys.stdin:
    print(f"{time.monotonic():.3f} {line}", end="", flush=True)' >"$dir/pieces.log") \
  2>"$dir/say.err" &
pid=$!
start=$SECONDS
printf '%8s %10s %8s %10s\n' "seconds" "RSS (kB)" "pieces" "position"
: >"$dir/samples"
while :; do
  sleep 30
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "vernalo-cli ended early:"
    cat "$dir/say.err"
    exit 1
  fi
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
  count=$(wc -l <"$dir/pieces.log")
  position=$(tail -1 "$dir/pieces.log" | sed -n 's/.*"from":\([0-9]*\).*/\1/p')
  t=$((SECONDS - start))
  printf '%8d %10d %8d %10s\n' "$t" "$rss" "$count" "${position:-?}" | tee -a "$dir/samples"
  [ "$t" -ge $((minutes * 60)) ] && break
done
kill -INT "$pid"
wait "$pid" 2>/dev/null || true
pid=
sleep 0.5
bytes=$(($(stat -c %s "$VERNALO_MONITOR") - offset))

python3 - "$dir/samples" "$dir/pieces.log" "$VERNALO_MONITOR" "$offset" "$bytes" <<'PY'
import array, math, sys
samples_path, pieces_path, monitor, offset, length = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]), int(sys.argv[5])
ok = True

samples = [tuple(map(int, l.split()[:3])) for l in open(samples_path)]
base = next(((t, rss) for t, rss, _ in samples if t >= 120), None)
if base:
    peak = max(rss for t, rss, _ in samples if t >= base[0])
    growth = (peak - base[1]) / 1024
    print(f"memory: {base[1] / 1024:.1f} MB at {base[0]} s, at most {peak / 1024:.1f} MB later: grew {growth:.2f} MB (limit 5)")
    ok &= growth < 5
else:
    print("memory: the run was shorter than 2 minutes, no growth figure")

stamps, starts, rounds, last = [], [], 0, None
for line in open(pieces_path):
    t, rest = line.split(" ", 1)
    stamps.append(float(t))
    start = int(rest.split('"from":')[1].split(",")[0])
    if last is not None and start < last:
        rounds += 1
    last = start
gaps = [b - a for a, b in zip(stamps, stamps[1:])]
stalled = [s for (s, _, n), (_, _, m) in zip(samples, samples[1:]) if m == n]
print(f"highlight: {len(stamps)} pieces, longest wait between two {max(gaps, default=0):.2f} s, "
      f"{len(stalled)} sample intervals without a new piece, {rounds} restarts at the text's start")
ok &= bool(stamps) and not stalled and (not samples or samples[0][2] > 0)

with open(monitor, "rb") as f:
    f.seek(offset)
    data = array.array("h", f.read(length - length % 2))
frame = 441  # 20 ms at 22050 Hz
loud = [math.sqrt(sum(x * x for x in data[i:i + frame]) / frame) >= 50 for i in range(0, len(data) - frame + 1, frame)]
first = loud.index(True) if True in loud else len(loud)
last_loud = len(loud) - 1 - loud[::-1].index(True) if True in loud else -1
runs, run = [], 0
for v in loud[first:last_loud + 1]:
    if v:
        if run:
            runs.append(run)
        run = 0
    else:
        run += 1
longest = max(runs, default=0) * frame / 22050
long_runs = [r for r in runs if r * frame / 22050 > 1.0]
sound = sum(loud) * frame / 22050
print(f"recording: {len(data) / 22050:.0f} s, {sound:.0f} s of it sound, longest silence {longest:.2f} s, "
      f"{len(long_runs)} silences over 1 s")
ok &= first < len(loud) and not long_runs
print("PASS" if ok else "FAIL")
sys.exit(0 if ok else 1)
PY
