// Latency of the reading session with the built-in engine:
//  - gap: from the end of one word's audio to the start of the next word's audio (word mode);
//  - first audio: from pressing Say to the first sample of speech;
//  - on the device, how much sound still comes out after AudioReset.
// Without a device (device=0) the output consumes audio in real time and the figures are taken
// where the samples are handed over. On the device (device=1, run bench/session_device.sh) they
// are taken at the sink: its monitor is recorded to $VERNALO_MONITOR, each spoken word is found
// in the recording by matching its loudest 20 ms, and a gap is the silence between where one
// word's samples end and the next word's begin there; first audio is when the recording first
// holds sound, counting the recorder's own latency of 5 ms and the leading silence of the word.
// The session is ticked as the window's timer does, every tick_ms.

#include <benchmark/benchmark.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "reading/readingsession.h"
#include "speech/espeakvoice.h"

#include "speech/sounddevice.h"

namespace vernalo {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Speech is well above this; the sink is exactly silent between words.
constexpr int kLoud = 300;

double Ms(double samples) {
    return samples * 1000.0 / kSampleRate;
}

std::size_t FirstLoud(const std::vector<std::int16_t>& s, std::size_t from) {
    for (std::size_t i = from; i < s.size(); ++i)
        if (s[i] > kLoud || s[i] < -kLoud) return i;
    return s.size();
}

// The sink's monitor as session_device.sh records it: s16le, kSampleRate, mono, growing in
// real time.
class Monitor {
public:
    explicit Monitor(const char* path) : path_(path ? path : "") {}
    bool usable() const { return !path_.empty() && samples() > 0; }
    std::size_t samples() const {
        struct stat st {};
        return stat(path_.c_str(), &st) == 0 ? static_cast<std::size_t>(st.st_size) / 2 : 0;
    }
    std::vector<std::int16_t> read(std::size_t from, std::size_t to) const {
        std::vector<std::int16_t> s(to > from ? to - from : 0);
        std::ifstream f(path_, std::ios::binary);
        f.seekg(static_cast<std::streamoff>(from * 2));
        f.read(reinterpret_cast<char*>(s.data()), static_cast<std::streamsize>(s.size() * 2));
        s.resize(static_cast<std::size_t>(f.gcount()) / 2);
        return s;
    }

private:
    std::string path_;
};

// Each piece's audio as it was handed to the output, in the order spoken, and when its first
// samples were handed over.
struct Timeline {
    std::mutex mutex;
    struct Piece {
        Clock::time_point written;
        std::vector<std::int16_t> samples;
    };
    std::vector<Piece> pieces;
    Clock::time_point lastEnd{};  // hand-over clock: when the audio written so far has played
    std::vector<double> gapsMs;   // hand-over clock: start of a piece minus the end of the last

    void clear() {
        std::lock_guard lock(mutex);
        pieces.clear();
        lastEnd = {};
        gapsMs.clear();
    }
};

// Keeps the clock the hand-over implies (audio plays back to back from its first sample) and
// notes each piece's samples, and optionally hands the audio on to a real device, whose own
// Playing then decides when a piece is over.
class TimedOutput : public NullOutput {
public:
    TimedOutput(Timeline& t, std::unique_ptr<PlaybackOutput> device)
        : timeline_(t), device_(std::move(device)) {}
    void write(const std::int16_t* samples, std::size_t count) override {
        const auto now = Clock::now();
        // A piece is spoken only once both voices are silent: audio arriving on a silent
        // output begins a piece.
        const bool fresh = !playing();
        NullOutput::write(samples, count);
        if (device_) device_->write(samples, count);
        std::lock_guard lock(timeline_.mutex);
        if (fresh) {
            timeline_.pieces.push_back({now, {}});
            if (timeline_.lastEnd != Clock::time_point{})
                timeline_.gapsMs.push_back(std::max(
                    0.0,
                    std::chrono::duration<double, std::milli>(now - timeline_.lastEnd).count()));
        }
        timeline_.pieces.back().samples.insert(timeline_.pieces.back().samples.end(), samples,
                                               samples + count);
        std::lock_guard own(mutex_);
        timeline_.lastEnd = std::max(timeline_.lastEnd, end_);
    }
    bool playing() const override { return device_ ? device_->playing() : NullOutput::playing(); }
    void flush() override {
        if (device_) device_->flush();
    }
    void reset() override {
        const bool cut = playing();
        NullOutput::reset();
        if (device_) device_->reset();
        std::lock_guard lock(timeline_.mutex);
        if (cut) timeline_.lastEnd = {};  // what follows a cut is no gap between words
    }

private:
    Timeline& timeline_;
    std::unique_ptr<PlaybackOutput> device_;
};

// The piece's loudest stretch of this many samples is what is looked for in the recording.
constexpr std::size_t kMark = 441;  // 20 ms

std::size_t LoudestStretch(const std::vector<std::int16_t>& s) {
    std::size_t best = 0;
    double bestSum = -1;
    for (std::size_t i = 0; i + kMark <= s.size(); i += 21) {
        double sum = 0;
        for (std::size_t k = i; k < i + kMark; ++k)
            sum += std::abs(s[k]);
        if (sum > bestSum) {
            bestSum = sum;
            best = i;
        }
    }
    return best;
}

// The offset in [from, to) where `mark` matches `heard` best (normalised correlation), and
// how well (1 = a perfect copy).
std::pair<std::size_t, double> Match(const std::int16_t* mark,
                                     const std::vector<std::int16_t>& heard, std::size_t from,
                                     std::size_t to) {
    double markEnergy = 0;
    for (std::size_t k = 0; k < kMark; ++k)
        markEnergy += double(mark[k]) * mark[k];
    std::pair<std::size_t, double> best{from, -1};
    to = std::min(to, heard.size() >= kMark ? heard.size() - kMark + 1 : 0);
    for (std::size_t o = from; o < to; ++o) {
        double dot = 0, energy = 0;
        for (std::size_t k = 0; k < kMark; ++k) {
            dot += double(mark[k]) * heard[o + k];
            energy += double(heard[o + k]) * heard[o + k];
        }
        if (energy <= 0) continue;
        const double c = dot / std::sqrt(markEnergy * energy);
        if (c > best.second) best = {o, c};
    }
    return best;
}

// Where the recording holds each piece, in order: the sample of `heard` where the piece's first
// sample went (negative when before it), or NaN when the piece is not found. `onsetLost` gets,
// per piece found, how many milliseconds of its sound the recording lacks at its start.
std::vector<double> Locate(const std::vector<Timeline::Piece>& pieces,
                           const std::vector<std::int16_t>& heard, std::vector<double>* onsetLost) {
    std::vector<double> starts;
    double next = 0;  // where the next piece would start right after the last one
    for (const auto& p : pieces) {
        if (p.samples.size() < kMark) {
            starts.push_back(std::nan(""));
            continue;
        }
        const std::size_t at = LoudestStretch(p.samples);
        const double expected = next + double(at);
        const auto from = static_cast<std::size_t>(std::max(0.0, expected - kSampleRate * 0.2));
        const auto [o, c] = Match(p.samples.data() + at, heard, from, from + kSampleRate * 3);
        if (c < 0.8) {
            starts.push_back(std::nan(""));
            continue;
        }
        const double start = double(o) - double(at);
        starts.push_back(start);
        next = start + double(p.samples.size());
        const std::size_t lead = FirstLoud(p.samples, 0);
        const auto onset = static_cast<std::size_t>(std::max(0.0, start + double(lead)));
        if (onsetLost && onset < heard.size())
            onsetLost->push_back(Ms(double(FirstLoud(heard, onset)) - start - double(lead)));
    }
    return starts;
}

// The default device, or null (and `error` set) when it cannot be opened or this build has none.
std::unique_ptr<PlaybackOutput> OpenDevice(std::string& error) {
    return OpenSoundDevice(&error);
}

class BenchView : public SessionView {
public:
    explicit BenchView(std::u16string text) : text_(std::move(text)) {}
    std::u16string text() const override { return text_; }
    long selectionStart() const override { return 0; }
    ReadingOptions options() const override {
        ReadingOptions o;
        o.sentenceMode = false;
        return o;
    }
    bool readingRequested() const override { return down; }
    void showPiece(long, long) override {}
    bool down = false;

private:
    std::u16string text_;
};

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Percentile90(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() * 9 / 10];
}

struct Rig {
    Timeline timeline;
    std::string error;
    std::unique_ptr<Monitor> monitor;
    std::unique_ptr<PlaybackOutput> deviceRU, deviceEN;
    EspeakVoice ru;
    EspeakVoice en;
    DictionaryStore dicts;
    Segmenter seg{dicts};

    // device: both voices play on the default audio device, whose monitor is recorded
    // (PulseAudio in bench/session_device.sh).
    explicit Rig(bool device)
        : monitor(device ? std::make_unique<Monitor>(std::getenv("VERNALO_MONITOR")) : nullptr),
          deviceRU(device ? OpenDevice(error) : nullptr),
          deviceEN(device && deviceRU ? OpenDevice(error) : nullptr),
          ru(std::make_unique<TimedOutput>(timeline, std::move(deviceRU))),
          en(std::make_unique<TimedOutput>(timeline, std::move(deviceEN))) {
        if (device && error.empty() && !monitor->usable())
            error = "no recording of the sink's monitor: run bench/session_device.sh";
        for (auto [voice, lang] : {std::pair{&ru, u"Russian"}, {&en, u"English"}}) {
            for (int n = 1; n <= voice->modeCount(); ++n) {
                if (voice->modeName(n).find(lang) != std::u16string::npos) {
                    voice->select(n);
                    break;
                }
            }
            voice->setSpeed(kMaxSpeed);  // short words: more gaps per second
        }
        if (device) std::this_thread::sleep_for(300ms);  // the streams settle
    }
};

// Words of both languages, so that the voices alternate as well as follow each other.
const char16_t kMixed[] =
    u"one два three четыре five шесть seven восемь nine десять eleven двенадцать";
const char16_t kEnglish[] = u"one two three four five six seven eight nine ten eleven twelve";

bool Unusable(benchmark::State& state, const Rig& rig) {
    if (!rig.error.empty()) {
        state.SkipWithError(rig.error.c_str());
        return true;
    }
    if (rig.ru.modeCount() == 0) {
        state.SkipWithError("the speech engine did not start");
        return true;
    }
    return false;
}

// Args: timer period in ms; 1 = on the audio device; 1 = English words only, else the two
// languages alternate.
void BM_GapBetweenWords(benchmark::State& state) {
    const auto tick = std::chrono::milliseconds(state.range(0));
    Rig rig(state.range(1) != 0);
    if (Unusable(state, rig)) return;
    std::vector<double> gaps;
    std::size_t words = 0, found = 0;
    std::vector<double> lost;
    for (auto _ : state) {
        rig.timeline.clear();
        const std::size_t from = rig.monitor ? rig.monitor->samples() : 0;
        BenchView view(state.range(2) ? kEnglish : kMixed);
        ReadingSession session(view, {{&rig.ru, &rig.en}}, rig.seg);
        view.down = true;
        session.sayToggled(true);
        while (session.running() || rig.ru.speaking() || rig.en.speaking()) {
            std::this_thread::sleep_for(tick);
            session.tick();
        }
        std::lock_guard lock(rig.timeline.mutex);
        if (!rig.monitor) {
            gaps.insert(gaps.end(), rig.timeline.gapsMs.begin(), rig.timeline.gapsMs.end());
            continue;
        }
        std::this_thread::sleep_for(300ms);  // the recorder's own latency
        const auto heard = rig.monitor->read(from, rig.monitor->samples());
        const auto starts = Locate(rig.timeline.pieces, heard, &lost);
        words += rig.timeline.pieces.size();
        for (std::size_t i = 0; i < starts.size(); ++i) {
            if (std::isnan(starts[i])) continue;
            ++found;
            if (i > 0 && !std::isnan(starts[i - 1]))
                gaps.push_back(Ms(starts[i] - starts[i - 1] -
                                  double(rig.timeline.pieces[i - 1].samples.size())));
        }
    }
    state.counters["gap_median_ms"] = Median(gaps);
    state.counters["gap_p90_ms"] = Percentile90(gaps);
    state.counters["gap_min_ms"] = gaps.empty() ? 0 : *std::min_element(gaps.begin(), gaps.end());
    state.counters["gaps"] = static_cast<double>(gaps.size());
    if (rig.monitor) {
        // Words not found in order in the recording were lost, held back or garbled.
        state.counters["words_found"] = double(found) / double(std::max<std::size_t>(words, 1));
        // The recorder misses a little where a stream starts (see session_device.sh).
        state.counters["onset_lost_p90_ms"] = Percentile90(lost);
    }
}
BENCHMARK(BM_GapBetweenWords)
    ->ArgsProduct({{1, 5, 10}, {0, 1}, {0, 1}})
    ->ArgNames({"tick_ms", "device", "english"})
    ->Iterations(2)
    ->Unit(benchmark::kSecond);

// Args: 1 = a long first sentence; 1 = on the audio device.
void BM_SayToFirstAudio(benchmark::State& state) {
    Rig rig(state.range(1) != 0);
    if (Unusable(state, rig)) return;
    std::vector<double> latencies;
    const bool sentenceText = state.range(0) != 0;
    const std::u16string text =
        sentenceText ? u"Привет, это первое предложение текста, который читают вслух. Hello."
                     : u"one two three";
    for (auto _ : state) {
        rig.timeline.clear();
        const std::size_t from = rig.monitor ? rig.monitor->samples() : 0;
        BenchView view(text);
        ReadingSession session(view, {{&rig.ru, &rig.en}}, rig.seg);
        const auto pressed = Clock::now();
        view.down = true;
        session.sayToggled(true);
        for (const auto deadline = pressed + 2s; Clock::now() < deadline;) {
            std::this_thread::sleep_for(100us);
            std::lock_guard lock(rig.timeline.mutex);
            if (rig.timeline.pieces.empty()) continue;
            const auto& piece = rig.timeline.pieces.front();
            if (!rig.monitor) {
                latencies.push_back(
                    std::chrono::duration<double, std::milli>(piece.written - pressed).count());
                break;
            }
            // Seen in the recording: it sounded no later than that, nor earlier than the
            // recorder's latency (5 ms) before.
            const auto heard = rig.monitor->read(from, rig.monitor->samples());
            if (FirstLoud(heard, 0) == heard.size()) continue;
            latencies.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - pressed).count());
            break;
        }
        view.down = false;
        session.sayToggled(false);                            // stops the speech at once
        if (rig.monitor) std::this_thread::sleep_for(200ms);  // silence before the next press
    }
    state.counters["first_audio_median_ms"] = Median(latencies);
    state.counters["first_audio_p90_ms"] = Percentile90(latencies);
    state.counters["heard"] = static_cast<double>(latencies.size());
}
BENCHMARK(BM_SayToFirstAudio)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"sentence", "device"})
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

// On the device only: sound that comes out after AudioReset in the middle of speech, up to the
// recorder's latency too much (what it had not delivered at the reset had sounded before it).
void BM_SoundAfterReset(benchmark::State& state) {
    Rig rig(true);
    if (Unusable(state, rig)) return;
    std::vector<double> after;
    for (auto _ : state) {
        rig.en.speak(u"Test of speech, for english voice. And a long tail of more words to say.");
        std::this_thread::sleep_for(std::chrono::milliseconds(300 + 37 * after.size()));
        const std::size_t mark = rig.monitor->samples();
        rig.en.audioReset();
        std::this_thread::sleep_for(400ms);
        const auto heard = rig.monitor->read(mark, rig.monitor->samples());
        std::size_t last = 0;
        for (std::size_t i = 0; i < heard.size(); ++i)
            if (std::abs(heard[i]) > kLoud) last = i + 1;
        after.push_back(Ms(double(last)));
    }
    state.counters["after_reset_median_ms"] = Median(after);
    state.counters["after_reset_p90_ms"] = Percentile90(after);
}
BENCHMARK(BM_SoundAfterReset)->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vernalo

int main(int argc, char** argv) {
    vernalo::SoundDeviceHost host;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
