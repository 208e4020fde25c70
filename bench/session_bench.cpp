// Latency of the reading session with the built-in engine, at the audio output:
//  - gap: from the end of one word's audio to the start of the next word's audio (word mode);
//  - first audio: from pressing Say to the first sample reaching the output.
// "At the output" is where the samples are handed over; a device adds its own constant
// latency to both ends of a gap. Without a device the output consumes audio in real time; with
// one (device=1, run bench/session_device.sh) the device's idle report ends each word, as in
// the program. The session is ticked as the window's timer does, every tick_ms.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "reading/session.h"
#include "speech/espeakengine.h"

#ifdef VERNALO_WITH_QT
#include <QCoreApplication>

#include "speech/qtaudiooutput.h"
#endif

namespace vernalo {
namespace {

using Clock = std::chrono::steady_clock;

// Notes when each stretch of audio starts and when the audio before it ran out.
struct Timeline {
    std::mutex mutex;
    Clock::time_point lastEnd{};  // when the audio written so far has been played
    std::vector<Clock::time_point> starts;
    std::vector<double> gapsMs;  // start of a stretch minus the end of the one before

    void Clear() {
        std::lock_guard lock(mutex);
        lastEnd = {};
        starts.clear();
        gapsMs.clear();
    }
};

// Keeps the clock a device would keep (audio plays back to back from its first sample), and
// optionally hands the audio on to a real device, whose idle report then decides Playing.
class TimedOutput : public NullOutput {
public:
    TimedOutput(Timeline& t, std::unique_ptr<AudioOutput> device)
        : timeline_(t), device_(std::move(device)) {}
    void Write(const std::int16_t* samples, std::size_t count) override {
        const auto now = Clock::now();
        const bool fresh = !NullOutput::Playing();
        NullOutput::Write(samples, count);
        if (device_) device_->Write(samples, count);
        std::lock_guard lock(timeline_.mutex);
        if (fresh) {
            timeline_.starts.push_back(now);
            if (timeline_.lastEnd != Clock::time_point{})
                timeline_.gapsMs.push_back(
                    std::chrono::duration<double, std::milli>(now - timeline_.lastEnd).count());
        }
        std::lock_guard own(mutex_);
        timeline_.lastEnd = std::max(timeline_.lastEnd, end_);
    }
    bool Playing() const override { return device_ ? device_->Playing() : NullOutput::Playing(); }
    void Reset() override {
        const bool cut = NullOutput::Playing();
        NullOutput::Reset();
        if (device_) device_->Reset();
        std::lock_guard lock(timeline_.mutex);
        if (cut) timeline_.lastEnd = {};  // what follows a cut is no gap between words
    }

private:
    Timeline& timeline_;
    std::unique_ptr<AudioOutput> device_;
};

// The default device, or null (and `error` set) when it cannot be opened or this build has none.
std::unique_ptr<AudioOutput> OpenDevice(std::string& error) {
#ifdef VERNALO_WITH_QT
    auto device = std::make_unique<QtAudioOutput>();
    if (device->Start(&error)) return device;
#else
    error = "this build has no audio device output";
#endif
    return nullptr;
}

class BenchView : public SessionView {
public:
    explicit BenchView(std::u16string text) : text_(std::move(text)) {}
    std::u16string EditorText() const override { return text_; }
    long SelectionStart() const override { return 0; }
    void SetSelection(long, long) override {}
    void SetReadOnly(bool) override {}
    void ScrollSelectionIntoView() override {}
    long CaretColumn() const override { return 0; }
    long CaretLine() const override { return 0; }
    bool SayDown() const override { return down; }
    void ReleaseSay() override { down = false; }
    void SetSayGlyphs(int) override {}
    bool RepeatDown() const override { return false; }
    bool SentenceMode() const override { return false; }
    int RepeatRU() const override { return 1; }
    int RepeatEN() const override { return 1; }
    void SetStatusText(int, const std::u16string&) override {}
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
    std::unique_ptr<AudioOutput> deviceRU, deviceEN;
    TEspeakVoice ru;
    TEspeakVoice en;
    DictStore dicts;
    Segmenter seg{dicts};

    // device: both voices play on the default audio device (PulseAudio in bench/session_device.sh).
    explicit Rig(bool device)
        : deviceRU(device ? OpenDevice(error) : nullptr),
          deviceEN(device && deviceRU ? OpenDevice(error) : nullptr),
          ru(std::make_unique<TimedOutput>(timeline, std::move(deviceRU))),
          en(std::make_unique<TimedOutput>(timeline, std::move(deviceEN))) {
        for (auto [voice, lang] : {std::pair{&ru, u"Russian"}, {&en, u"English"}}) {
            for (int n = 1; n <= voice->ModeCount(); ++n) {
                if (voice->ModeName(n).find(lang) != std::u16string::npos) {
                    voice->Select(n);
                    break;
                }
            }
            voice->SetSpeed(TEspeakVoice::kMaxSpeed);  // short words: more gaps per second
        }
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
    if (rig.ru.ModeCount() == 0) {
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
    for (auto _ : state) {
        rig.timeline.Clear();
        BenchView view(state.range(2) ? kEnglish : kMixed);
        TReadingSession session(view, rig.ru, rig.en, rig.seg);
        view.down = true;
        session.SayClicked(true);
        while (session.Running() || rig.ru.Speaking() || rig.en.Speaking()) {
            std::this_thread::sleep_for(tick);
            session.Tick();
        }
        std::lock_guard lock(rig.timeline.mutex);
        gaps.insert(gaps.end(), rig.timeline.gapsMs.begin(), rig.timeline.gapsMs.end());
    }
    state.counters["gap_median_ms"] = Median(gaps);
    state.counters["gap_p90_ms"] = Percentile90(gaps);
    state.counters["gaps"] = static_cast<double>(gaps.size());
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
        rig.timeline.Clear();
        BenchView view(text);
        TReadingSession session(view, rig.ru, rig.en, rig.seg);
        const auto pressed = Clock::now();
        view.down = true;
        session.SayClicked(true);
        for (;;) {
            {
                std::lock_guard lock(rig.timeline.mutex);
                if (!rig.timeline.starts.empty()) {
                    latencies.push_back(std::chrono::duration<double, std::milli>(
                                            rig.timeline.starts.front() - pressed)
                                            .count());
                    break;
                }
            }
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        view.down = false;
        session.SayClicked(false);  // stops the speech at once
    }
    state.counters["first_audio_median_ms"] = Median(latencies);
    state.counters["first_audio_p90_ms"] = Percentile90(latencies);
}
BENCHMARK(BM_SayToFirstAudio)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"sentence", "device"})
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vernalo

int main(int argc, char** argv) {
#ifdef VERNALO_WITH_QT
    QCoreApplication app(argc,
                         argv);  // the device output needs one; its sink runs on its own thread
#endif
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
