#!/bin/bash
# Prints, from the recording of a private sound server's sink, how soon speech starts and how
# long the silence is between two words read in word mode: the built-in voice, speech-dispatcher's
# voices through vernalo-cli say, and the same words spoken by `spd-say -w` one after the other
# as a peer program would do it. Starts the test services (X, PulseAudio, speech-dispatcher).
# Usage: bench/speechd_latency.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/release}
cli=$build/src/cli/vernalo-cli
[ -x "$cli" ] || { echo "speechd_latency.sh: no $cli (build vernalo-cli)" >&2; exit 2; }
command -v spd-say >/dev/null || { echo "speechd_latency.sh: spd-say is not installed" >&2; exit 2; }

source "$here/scripts/test-services.sh"
trap vernalo_stop_services EXIT
vernalo_start_services
[ -n "${SPEECHD_ADDRESS:-}" ] || { echo "speechd_latency.sh: speech-dispatcher did not start" >&2; exit 2; }

words_en="one two three four five six seven eight"
words_ru="один два три четыре пять шесть семь восемь"

PYTHONPATH="$here/bench" python3 - "$cli" "$VERNALO_MONITOR" "$words_en" "$words_ru" <<'PY'
import os, statistics, subprocess, sys, tempfile
from recording import LOUD, RATE, Recording, gap_at, quiet_runs

cli, monitor, words_en, words_ru = sys.argv[1:5]
recording = Recording(monitor)
size, samples = recording.size, recording.samples

def settle(start):
    recording.settle(start, quiet=0.6, limit=20)

def first_loud(s, frm=0):
    for i in range(frm, len(s)):
        if abs(s[i]) > LOUD:
            return i
    return None

def measure(marks, end):
    # marks: recording positions (bytes) at which each word was handed over. The gap is the
    # quiet stretch around the mark; the recorder lags the device a little, so a mark that
    # still falls in the last sound of the word before takes the stretch just after it.
    base = marks[0]
    s = samples(base, end)
    pos = [(m - base) // 2 for m in marks]
    first = first_loud(s, pos[0])
    start_ms = None if first is None else (first - pos[0]) * 1000 / RATE
    runs = quiet_runs(s, RATE // 100)
    gaps = []
    for p in pos[1:]:
        gaps.append(gap_at(runs, p, RATE // 10))
    return start_ms, gaps

def via_cli(extra, text):
    with tempfile.NamedTemporaryFile('w', suffix='.txt', delete=False) as f:
        f.write(text)
    marks = []
    p = subprocess.Popen([cli, 'say', '--mode', 'word', *extra, '--print-pieces', f.name],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    for line in p.stdout:
        if line.startswith('{"from"'):
            marks.append(size())
    p.wait()
    os.unlink(f.name)
    settle(marks[0])
    return measure(marks, size())

def via_spd_say(module, voice, text):
    marks = []
    for w in text.split():
        marks.append(size())
        subprocess.run(['spd-say', '-w', '-o', module, '-y', voice, w], check=True)
    settle(marks[0])
    return measure(marks, size())

def show(name, result):
    start, gaps = result
    g = 'n/a' if not gaps else '%4.0f ms median, %4.0f ms max' % (statistics.median(gaps), max(gaps))
    s = 'n/a' if start is None else '%4.0f ms' % start
    print('%-44s first sound %s   gap between words %s' % (name, s, g))

runs = [
    ('built-in Carol', lambda: via_cli(['--no-ru', '--voice-en', 'Carol'], words_en)),
    ('built-in Nicolai', lambda: via_cli(['--no-en', '--voice-ru', 'Nicolai'], words_ru)),
    ('vernalo, espeak-ng module, English', lambda: via_cli(
        ['--no-ru', '--voice-en', 'English (Great Britain) (espeak-ng)'], words_en)),
    ('vernalo, espeak-ng module, Russian', lambda: via_cli(
        ['--no-en', '--voice-ru', 'Russian (espeak-ng)'], words_ru)),
    ('vernalo, flite module, kal16', lambda: via_cli(
        ['--no-ru', '--voice-en', 'kal16 (flite)'], words_en)),
    ('spd-say -w, espeak-ng module, English', lambda: via_spd_say(
        'espeak-ng', 'English (Great Britain)', words_en)),
    ('spd-say -w, espeak-ng module, Russian', lambda: via_spd_say('espeak-ng', 'Russian', words_ru)),
    ('spd-say -w, flite module, kal16', lambda: via_spd_say('flite', 'kal16', words_en)),
]
# A fresh sound server brings its first sound late: one reading before the figures.
via_cli(['--no-ru', '--voice-en', 'Carol'], 'ready')
for name, run in runs:
    show(name, run())
PY
