// Latency of the reading session with the built-in engine, at the audio output:
//  - gap: from the end of one word's audio to the start of the next word's audio (word mode);
//  - first audio: from pressing Say to the first sample reaching the output.
// The outputs consume audio in real time like a device, so each run lasts as long as its
// speech. The session is ticked as the window's timer does, every `tick` milliseconds.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "reading/session.h"
#include "speech/espeakengine.h"

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

class TimedOutput : public NullOutput {
public:
    explicit TimedOutput(Timeline& t) : timeline_(t) {}
    void Write(const std::int16_t* samples, std::size_t count) override {
        const auto now = Clock::now();
        const bool fresh = !Playing();
        NullOutput::Write(samples, count);
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
    void Reset() override {
        const bool cut = Playing();
        NullOutput::Reset();
        std::lock_guard lock(timeline_.mutex);
        if (cut) timeline_.lastEnd = {};  // what follows a cut is no gap between words
    }

private:
    Timeline& timeline_;
};

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
    TEspeakVoice ru{std::make_unique<TimedOutput>(timeline)};
    TEspeakVoice en{std::make_unique<TimedOutput>(timeline)};
    DictStore dicts;
    Segmenter seg{dicts};

    Rig() {
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

void BM_GapBetweenWords(benchmark::State& state) {
    const auto tick = std::chrono::milliseconds(state.range(0));
    Rig rig;
    if (rig.ru.ModeCount() == 0) {
        state.SkipWithError("the speech engine did not start");
        return;
    }
    std::vector<double> gaps;
    for (auto _ : state) {
        rig.timeline.Clear();
        BenchView view(kMixed);
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
BENCHMARK(BM_GapBetweenWords)->Arg(1)->Arg(5)->Arg(10)->Iterations(2)->Unit(benchmark::kSecond);

void BM_SayToFirstAudio(benchmark::State& state) {
    Rig rig;
    if (rig.ru.ModeCount() == 0) {
        state.SkipWithError("the speech engine did not start");
        return;
    }
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
BENCHMARK(BM_SayToFirstAudio)->Arg(0)->Arg(1)->Iterations(30)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vernalo

BENCHMARK_MAIN();
