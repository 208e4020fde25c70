#!/bin/bash
# Festival's voices driven by Vernalo beside the same voices through speech-dispatcher's Festival
# module and through text2wave, in one run, on the recording of a private sound server's sink:
#   - the gap between sentences read in sentence mode, Russian and English alternating, beside
#     `spd-say -w` reading the same sentences one message each; the built-in voices' gap too;
#   - Say to first sound with a loaded voice, the voices' load time and memory, and how many
#     engine processes stay alive idle (driven_bench), beside the service's Festival server;
#   - the export of a mixed text (both languages in every paragraph, made from the README and
#     the Russian translation) beside text2wave on each language's part with its voice.
# Starts the test services, a Festival server and a speech-dispatcher of its own using it.
# Usage: bench/driven_voices.sh [BUILD_DIR] [EXPORT_KB] [ROUNDS]   (build/release, 100, 3)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/release}
kb=${2:-100}
rounds=${3:-3}
cli=$build/src/cli/vernalo-cli
bench=$build/bench/driven_bench
for f in "$cli" "$bench"; do
  [ -x "$f" ] || { echo "driven_voices.sh: no $f (build vernalo-cli and driven_bench)" >&2; exit 2; }
done
for p in festival text2wave spd-say speech-dispatcher; do
  command -v $p >/dev/null || { echo "driven_voices.sh: $p is not installed" >&2; exit 2; }
done
[ -x /usr/lib/speech-dispatcher-modules/sd_festival ] ||
  { echo "driven_voices.sh: speech-dispatcher-festival is not installed" >&2; exit 2; }

source "$here/scripts/test-services.sh"
extra=()
cleanup() {
  local i
  for ((i = ${#extra[@]} - 1; i >= 0; i--)); do kill "${extra[i]}" 2>/dev/null || true; done
  for ((i = ${#extra[@]} - 1; i >= 0; i--)); do wait "${extra[i]}" 2>/dev/null || true; done
  vernalo_stop_services
}
trap cleanup EXIT
vernalo_start_services

# Festival's server on a port nobody uses, and a speech-dispatcher whose Festival module uses it.
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
festival --server "(set! server_port $port)" >"$VERNALO_RUNTIME_DIR/festival.log" 2>&1 &
extra+=($!)
festival_pid=$!
for _ in $(seq 100); do
  python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 1)" 2>/dev/null && break
  sleep 0.1
done
conf=$VERNALO_RUNTIME_DIR/speechd-festival
mkdir -p "$conf/modules"
cat >"$conf/speechd.conf" <<CONF
AudioOutputMethod "pulse"
AddModule "festival" "sd_festival" "festival.conf"
DefaultModule festival
CONF
# No cache: every round synthesizes, as a reading of new text does.
cat >"$conf/modules/festival.conf" <<CONF
FestivalServerHost "localhost"
FestivalServerPort $port
FestivalCacheOn 0
CONF
export SPEECHD_ADDRESS="unix_socket:$VERNALO_RUNTIME_DIR/speechd-festival.sock"

PYTHONPATH="$here/bench" python3 - "$cli" "$bench" "$VERNALO_MONITOR" "$here" "$kb" "$rounds" "$festival_pid" "$conf" <<'PY'
import array, os, re, statistics, subprocess, sys, tempfile, time, wave
from recording import LOUD, RATE, Recording, gap_at, quiet_runs

cli, bench, monitor, here, kb, rounds, festival_pid, conf = sys.argv[1:9]
kb, rounds = int(kb), int(rounds)
RU, EN = 'msu_ru_nsh (Festival)', 'cmu_us_slt_arctic (Festival)'
RU_FEST, EN_FEST = 'msu_ru_nsh_clunits', 'cmu_us_slt_arctic_hts'
tmp = tempfile.mkdtemp()

recording = Recording(monitor)
size, samples, settle = recording.size, recording.samples, recording.settle

class Service:
    # speech-dispatcher with the Festival module. Its module keeps one connection to the
    # Festival server, so one Festival process serves every message; a fresh one starts with
    # its voices unloaded.
    def __enter__(self):
        run = os.path.dirname(monitor)
        self.socket = os.environ['SPEECHD_ADDRESS'].split(':', 1)[1]
        self.p = subprocess.Popen(['speech-dispatcher', '-s', '-t', '0', '-l', '1', '-S',
                                   self.socket, '-C', conf, '-L', run, '-P',
                                   os.path.join(run, 'speechd-festival.pid')],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(self.socket):
                break
            time.sleep(0.05)
        return self

    def __exit__(self, *exc):
        self.p.terminate()
        self.p.wait()
        if os.path.exists(self.socket):
            os.unlink(self.socket)

def gaps_at(marks, end):
    # The gap is the quiet stretch around the moment the next sentence was handed over; the
    # recorder lags the device a little, so a mark still in the sentence before takes the
    # stretch that starts just after it. A sentence that made no sound leaves out the gaps
    # around it (None), and is counted.
    base = marks[0]
    s = samples(base, end)
    pos = [(m - base) // 2 for m in marks] + [len(s)]
    sounded = [any(abs(v) > LOUD for v in s[pos[i]:pos[i + 1]]) for i in range(len(marks))]
    runs = quiet_runs(s, RATE // 1000)
    gaps = []
    for i, p in enumerate(pos[1:-1], start=1):
        if not (sounded[i - 1] and sounded[i]):
            gaps.append(None)
            continue
        gaps.append(gap_at(runs, p, RATE // 5))
    return gaps

# Sentences of both languages in turn, from the program's own texts.
def russian_sentences():
    ts = open(os.path.join(here, 'translations/vernalo_ru.ts'), encoding='utf-8').read()
    out = []
    for t in re.findall(r'<translation>([^<]+)</translation>', ts):
        t = re.sub(r'&[a-z]+;|%\d|[&\n]', ' ', t)
        t = re.sub(r'\s+', ' ', t).strip()
        for sentence in re.split(r'(?<=[.!?])\s+', t):
            sentence = sentence if sentence[-1:] in '.!?' else sentence + '.'
            # Plain prose: text2wave gives up on the whole file at a lone quote or dash, where a
            # placeholder was.
            if len(sentence.split()) >= 4 and re.search('[а-яА-Я]', sentence) and \
                    re.fullmatch(r"[А-Яа-яЁё0-9 ,.!?-]+", sentence):
                out.append(sentence)
    return list(dict.fromkeys(out))

def english_sentences():
    text = open(os.path.join(here, 'README.md'), encoding='utf-8').read()
    out = []
    for para in text.split('\n\n'):
        if para.startswith(('#', '|', '```', '    ', '-', '*', '<', '!')):
            continue
        para = re.sub(r'`[^`]*`|\[([^\]]*)\]\([^)]*\)|[*_#>]', lambda m: m.group(1) or '', para)
        for s in re.split(r'(?<=[.!?])\s+', ' '.join(para.split())):
            if 30 <= len(s) <= 200 and s[-1] in '.!?':
                out.append(s)
    return out

ru_all, en_all = russian_sentences(), english_sentences()
# Plain sentences, which every reader takes as one piece each.
short = lambda ss: list(dict.fromkeys(
    s for s in ss if 20 <= len(s) <= 100 and re.fullmatch(r"[A-Za-zА-Яа-яЁё ,'-]+[.!?]", s)))
ru_short, en_short = short(ru_all)[:4], short(en_all)[:4]
alternating = [x for pair in zip(ru_short, en_short) for x in pair]

def via_cli(extra, sentences):
    path = os.path.join(tmp, 'gap.txt')
    open(path, 'w', encoding='utf-8').write(' '.join(sentences))
    marks = []
    p = subprocess.Popen([cli, 'say', '--mode', 'sentence', *extra, '--print-pieces', path],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    for line in p.stdout:
        if line.startswith('{"from"'):
            marks.append(size())
    p.wait()
    settle(marks[0])
    return gaps_at(marks, size())

def via_spd_say(sentences):
    marks = []
    for s in sentences:
        ru = re.search('[а-яА-Я]', s) is not None
        marks.append(size())
        subprocess.run(['spd-say', '-w', '-o', 'festival', '-l', 'ru' if ru else 'en',
                        '-y', RU_FEST if ru else EN_FEST, s], check=True)
    settle(marks[0])
    return gaps_at(marks, size())

def edges(path):
    # The silence before and after the speech in a WAV file, in ms.
    with wave.open(path) as w:
        rate, s = w.getframerate(), array.array('h', w.readframes(w.getnframes()))
    loud = [i for i, v in enumerate(s) if abs(v) > LOUD]
    return (loud[0] * 1000 / rate, (len(s) - loud[-1]) * 1000 / rate) if loud else (0, 0)

def own_silence(make, sentences):
    # What the voices put between two sentences themselves: the silence after the one and
    # before the next, in the sound they make for each alone.
    e = []
    for i, s in enumerate(sentences):
        path = os.path.join(tmp, 'own%d.wav' % i)
        make(s, path)
        e.append(edges(path))
    return [e[i][1] + e[i + 1][0] for i in range(len(e) - 1)]

def ours_alone(voices):
    def make(s, path):
        ru = re.search('[а-яА-Я]', s) is not None
        subprocess.run([cli, 'speak', '--voice', voices[0] if ru else voices[1], '--wav', path, s],
                       check=True, stderr=subprocess.DEVNULL)
    return make

def text2wave_alone(s, path):
    ru = re.search('[а-яА-Я]', s) is not None
    src = path + '.txt'
    open(src, 'w', encoding='utf-8').write(s + '\n')
    subprocess.run(['text2wave', '-eval', '(voice_%s)' % (RU_FEST if ru else EN_FEST), src,
                    '-o', path], check=True, stderr=subprocess.DEVNULL)

def show_gaps(name, gaps, own):
    pairs = [(g, o) for g, o in zip(gaps, own * (len(gaps) // len(own))) if g is not None]
    silent = '' if len(pairs) == len(gaps) else '; %d of %d gaps lost to a silent sentence' % (
        len(gaps) - len(pairs), len(gaps))
    if not pairs:
        print('%-44s no two sentences in a row sounded%s' % (name, silent))
        return
    heard = [g for g, _ in pairs]
    added = [g - o for g, o in pairs]
    print('%-44s silence between sentences %4.0f ms median, %4.0f ms max; beyond the voices\' '
          'own %4.0f ms median, %4.0f ms max (%d)%s' %
          (name, statistics.median(heard), max(heard), statistics.median(added), max(added),
           len(pairs), silent))

print('== gap between sentences, Russian and English alternating (%d rounds)' % rounds)
festival_cli = ['--voice-ru', RU, '--voice-en', EN]
builtin_cli = ['--voice-ru', 'Nicolai', '--voice-en', 'Carol']
# Voices load, the sound server wakes: one reading each before the figures.
via_cli(festival_cli, alternating[:2])
results = {'vernalo, Festival voices': [], 'spd-say -w, Festival module': [],
           'vernalo, built-in voices': []}
with Service():
    via_spd_say(alternating[:2])
    for _ in range(rounds):
        results['vernalo, Festival voices'] += via_cli(festival_cli, alternating)
        results['spd-say -w, Festival module'] += via_spd_say(alternating)
        results['vernalo, built-in voices'] += via_cli(builtin_cli, alternating)
own = {'vernalo, Festival voices': own_silence(ours_alone((RU, EN)), alternating),
       'spd-say -w, Festival module': own_silence(text2wave_alone, alternating),
       'vernalo, built-in voices': own_silence(ours_alone(('Nicolai', 'Carol')), alternating)}
for name, gaps in results.items():
    show_gaps(name, gaps, own[name])
# The module's one Festival process says nothing in Russian once it has spoken English: its
# gaps are measured one language at a time too, each with a fresh module.
for lang, ss in (('Russian', ru_short), ('English', en_short)):
    gaps = []
    with Service():
        via_spd_say(ss[:1])
        for _ in range(rounds):
            gaps += via_spd_say(ss)
    show_gaps('spd-say -w, Festival module, %s only' % lang, gaps,
              own_silence(text2wave_alone, ss))

print('== Say to first sound with the voice loaded; load time; memory')
sys.stdout.flush()
subprocess.run([bench, str(rounds)], check=True)
def first_sound_spd(sentence, ru):
    mark = size()
    subprocess.run(['spd-say', '-w', '-o', 'festival', '-l', 'ru' if ru else 'en',
                    '-y', RU_FEST if ru else EN_FEST, sentence], check=True)
    settle(mark)
    s = samples(mark, size())
    first = next((i for i, v in enumerate(s) if abs(v) > LOUD), None)
    return None if first is None else first * 1000 / RATE
def rss_mb(pid):
    for line in open('/proc/%s/status' % pid):
        if line.startswith('VmRSS:'):
            return int(line.split()[1]) / 1024
    return 0

def server_rss_mb():
    # The server answers each client in a process of its own, which loads the voices.
    children = subprocess.run(['ps', '-o', 'pid=', '--ppid', festival_pid], capture_output=True,
                              text=True).stdout.split()
    return rss_mb(festival_pid) + sum(rss_mb(c) for c in children), 1 + len(children)

for lang, ss, ru in (('Russian', ru_short, True), ('English', en_short, False)):
    # A fresh module: Festival's process then loads this language's voice only.
    with Service():
        first_sound_spd(ss[0], ru)  # loads the voice in the server
        firsts = [first_sound_spd(s, ru) for _ in range(rounds) for s in ss[:3]]
        memory = server_rss_mb()
    heard = [f for f in firsts if f is not None]
    print('%-44s Say to first sound, voice loaded: %s (%d of %d sounded)' %
          ('spd-say, Festival module, ' + lang,
           '%4.0f ms median, %4.0f ms max' % (statistics.median(heard), max(heard))
           if heard else 'n/a', len(heard), len(firsts)))
    print('%-44s Festival server memory (RSS) with the voice loaded %6.0f MB in %d processes' %
          ('spd-say, Festival module, ' + lang, *memory))
# The mixed text: every paragraph an English sentence or two and a Russian one or two.
paragraphs, ru_parts, en_parts = [], [], []
i = 0
while sum(len(p.encode()) + 2 for p in paragraphs) < kb * 1000:
    en = ' '.join(en_all[(2 * i + k) % len(en_all)] for k in range(2))
    ru = ' '.join(ru_all[(2 * i + k) % len(ru_all)] for k in range(2))
    paragraphs.append(en + ' ' + ru)
    en_parts.append(en)
    ru_parts.append(ru)
    i += 1
mixed = os.path.join(tmp, 'mixed.txt')
open(mixed, 'w', encoding='utf-8').write('\n\n'.join(paragraphs) + '\n')
open(os.path.join(tmp, 'ru.txt'), 'w', encoding='utf-8').write('\n\n'.join(ru_parts) + '\n')
open(os.path.join(tmp, 'en.txt'), 'w', encoding='utf-8').write('\n\n'.join(en_parts) + '\n')

def seconds(path):
    with wave.open(path) as w:
        return w.getnframes() / w.getframerate()

print('== export of a %d kB mixed text (%d paragraphs)' % (os.path.getsize(mixed) // 1000,
                                                           len(paragraphs)))
sys.stdout.flush()
t = time.time()
subprocess.run([cli, 'say', *festival_cli, '--out', os.path.join(tmp, 'ours.wav'), mixed],
               check=True, stderr=subprocess.DEVNULL)
ours = time.time() - t
ours_len = seconds(os.path.join(tmp, 'ours.wav'))
peer, peer_len = 0, 0
for part, voice in (('ru', RU_FEST), ('en', EN_FEST)):
    out = os.path.join(tmp, part + '.wav')
    t = time.time()
    subprocess.run(['text2wave', '-eval', '(voice_%s)' % voice, os.path.join(tmp, part + '.txt'),
                    '-o', out], check=True, stderr=subprocess.DEVNULL)
    took = time.time() - t
    print('%-44s %7.1f s for %7.1f s of sound' % ('text2wave, ' + voice, took, seconds(out)))
    peer += took
    peer_len += seconds(out)
print('%-44s %7.1f s for %7.1f s of sound' % ('text2wave, both parts', peer, peer_len))
print('%-44s %7.1f s for %7.1f s of sound: %.2fx the time, length %+.1f %%' %
      ('vernalo-cli say --out, Festival voices', ours, ours_len, ours / peer,
       (ours_len / peer_len - 1) * 100))
PY
