// The built-in engine's latency and speed: Speak to the first sample handed to the output,
// synthesis time against audio duration beside the espeak-ng command, AudioReset to silence.
// Targets: first audio within 50 ms (a word) and 100 ms (40 words); AudioReset within 20 ms;
// real-time factor within 10% of the command's.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "speech/espeakvoice.h"
#include "text/textcodec.h"

#include "speech/sounddevice.h"

namespace {

using namespace vernalo;
using Clock = std::chrono::steady_clock;

const char16_t kWord[] = u"Hello";
const char16_t kSentence[] =
    u"The quick brown fox jumps over the lazy dog while the reader keeps on turning the pages "
    u"of a long and winding story about ships, storms and distant harbours, until the lamp "
    u"burns low and the night grows quiet around the old stone house by the sea.";

// Records when the first sample arrives and how many came; plays nothing.
class TimingOutput : public PlaybackOutput {
public:
    void write(const std::int16_t*, std::size_t n) override {
        if (samples == 0) first = Clock::now();
        samples += n;
    }
    bool playing() const override { return false; }
    void reset() override {}
    Clock::time_point first{};
    std::atomic<std::size_t> samples{0};
};

void WaitDone(const Voice& v) {
    while (v.speaking())
        std::this_thread::yield();
}

void FirstAudio(benchmark::State& state, const char16_t* text) {
    auto out = std::make_unique<TimingOutput>();
    TimingOutput& t = *out;
    EspeakVoice voice(std::move(out), EspeakVoice::findSpeaker(u"Carol"));
    for (auto _ : state) {
        t.samples = 0;
        const auto start = Clock::now();
        voice.speak(text);
        while (t.samples == 0)
            std::this_thread::yield();
        state.SetIterationTime(std::chrono::duration<double>(t.first - start).count());
        voice.audioReset();
        WaitDone(voice);
    }
}
BENCHMARK_CAPTURE(FirstAudio, word, kWord)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstAudio, sentence40, kSentence)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Whole synthesis of the sentence; the counter rtf is synthesis time over audio duration.
void Synthesis(benchmark::State& state) {
    auto out = std::make_unique<TimingOutput>();
    TimingOutput& t = *out;
    EspeakVoice voice(std::move(out), EspeakVoice::findSpeaker(u"Carol"));
    double synth = 0, audio = 0;
    for (auto _ : state) {
        t.samples = 0;
        const auto start = Clock::now();
        voice.speak(kSentence);
        WaitDone(voice);
        synth += std::chrono::duration<double>(Clock::now() - start).count();
        audio += double(t.samples) / kSampleRate;
    }
    state.counters["rtf"] = synth / audio;
    state.counters["audio_s"] = audio / static_cast<double>(state.iterations());
}
BENCHMARK(Synthesis)->Unit(benchmark::kMillisecond);

// The espeak-ng command on the same text and voice, writing a WAV file; its process start
// is part of what a user of the command waits for.
void EspeakCommand(benchmark::State& state) {
    const std::string wav = "/tmp/vernalo_bench_cmd.wav";
    const std::string cmd =
        "espeak-ng -v en+f3 -w " + wav + " '" + Utf16ToUtf8(kSentence) + "' 2>/dev/null";
    double synth = 0, audio = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (std::system(cmd.c_str()) != 0) {
            state.SkipWithError("espeak-ng command failed");
            return;
        }
        synth += std::chrono::duration<double>(Clock::now() - start).count();
        if (FILE* f = std::fopen(wav.c_str(), "rb")) {
            std::fseek(f, 0, SEEK_END);
            audio += double(std::ftell(f) - 44) / 2 / kSampleRate;
            std::fclose(f);
        }
    }
    std::remove(wav.c_str());
    state.counters["rtf"] = synth / audio;
    state.counters["audio_s"] = audio / static_cast<double>(state.iterations());
}
BENCHMARK(EspeakCommand)->Unit(benchmark::kMillisecond)->Iterations(10);

// AudioReset in the middle of speech until the control is silent, on the device when there
// is one (the device output drops what the sound server still holds before returning).
void ResetToSilence(benchmark::State& state) {
    std::string error;
    std::unique_ptr<PlaybackOutput> out = MakeDeviceOutput(&error);
    state.SetLabel(error.empty() ? "device" : "null output: " + error);
    EspeakVoice voice(std::move(out), EspeakVoice::findSpeaker(u"Carol"));
    for (auto _ : state) {
        voice.speak(kSentence);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        const auto start = Clock::now();
        voice.audioReset();
        WaitDone(voice);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(ResetToSilence)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
    vernalo::SoundDeviceHost host;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
}
