// How far the word mark leads (-) or lags (+) the sound: the built-in voice reads single-word
// sentences on the default device (the test sound server's null sink, whose monitor is
// recorded to $VERNALO_MONITOR); each word's onset is found in the recording after a pause, and
// the moment the voice first reported the word as heard is placed in the recording by its
// clock. Run through bench/word_mark.sh.

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "speech/espeakvoice.h"
#include "speech/qtaudiooutput.h"

namespace {

using namespace vernalo;
using Clock = std::chrono::steady_clock;

const char* monitor = nullptr;

std::size_t MonitorSamples() {
    std::error_code ec;
    return static_cast<std::size_t>(std::filesystem::file_size(monitor, ec)) / 2;
}

std::vector<std::int16_t> Recording(std::size_t from) {
    std::ifstream f(monitor, std::ios::binary);
    f.seekg(static_cast<std::streamoff>(from * 2));
    std::vector<std::int16_t> s(MonitorSamples() - from);
    f.read(reinterpret_cast<char*>(s.data()), static_cast<std::streamsize>(s.size() * 2));
    s.resize(static_cast<std::size_t>(f.gcount()) / 2);
    return s;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The differences, in ms, of one text read once.
std::vector<double> Measure(EspeakVoice& voice, const std::u16string& text) {
    const std::size_t base = MonitorSamples();
    const Clock::time_point t0 = Clock::now();
    // The recording's position of the sound played at t0: each look at the recording's size
    // bounds it from below (the recorder only lags), the highest bound is the best.
    double p0 = -1e18;
    std::vector<double> marks;  // seconds after t0 when a new word began to be heard
    std::optional<Voice::WordSpan> last;
    voice.speak(text);
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while ((voice.speaking() || Clock::now() < t0 + std::chrono::milliseconds(200)) &&
           Clock::now() < deadline) {
        const double t = Seconds(Clock::now() - t0);
        const double size = static_cast<double>(MonitorSamples() - base);
        p0 = std::max(p0, size - t * kSampleRate);
        const auto heard = voice.heardWord();
        if (heard && heard != last) marks.push_back(t);
        if (heard) last = heard;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // Let the recorder catch up, still refining the clock.
    const auto settle = Clock::now() + std::chrono::milliseconds(600);
    while (Clock::now() < settle) {
        const double t = Seconds(Clock::now() - t0);
        p0 = std::max(p0, static_cast<double>(MonitorSamples() - base) - t * kSampleRate);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::vector<std::int16_t> s = Recording(base);
    // Onsets: the first loud sample after at least 80 ms of quiet.
    std::vector<double> onsets;
    std::size_t quiet = kSampleRate;  // the recording starts after silence
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (std::abs(s[i]) > 300) {
            if (quiet >= static_cast<std::size_t>(kSampleRate * 8 / 100))
                onsets.push_back(static_cast<double>(i));
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    std::vector<double> diffs;
    if (onsets.size() != marks.size()) {
        std::printf("  %zu onsets, %zu marks: not paired\n", onsets.size(), marks.size());
        return diffs;
    }
    for (std::size_t k = 0; k < marks.size(); ++k) {
        const double markAt = p0 + marks[k] * kSampleRate;
        diffs.push_back((markAt - onsets[k]) * 1000.0 / kSampleRate);
    }
    return diffs;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    monitor = std::getenv("VERNALO_MONITOR");
    if (!monitor) {
        std::fprintf(stderr, "wordmark_bench: no $VERNALO_MONITOR (run bench/word_mark.sh)\n");
        return 2;
    }
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    std::string error;
    auto out = std::make_unique<QtAudioOutput>();
    if (!out->start(&error)) {
        std::fprintf(stderr, "wordmark_bench: %s\n", error.c_str());
        return 2;
    }
    struct Text {
        const char* speaker;
        std::u16string words;
    };
    const Text texts[] = {{"Carol", u"One. Two. Three. Four. Five. Six. Seven. Eight."},
                          {"Nicolai", u"Один. Два. Три. Четыре. Пять. Шесть. Семь. Восемь."}};
    std::vector<double> all;
    EspeakVoice voice(std::move(out));
    for (const Text& text : texts) {
        const std::string speaker = text.speaker;
        voice.select(EspeakVoice::findSpeaker(std::u16string(speaker.begin(), speaker.end())));
        for (int r = 0; r < rounds; ++r) {
            std::vector<double> d = Measure(voice, text.words);
            std::printf("%s round %d:", text.speaker, r + 1);
            for (double x : d)
                std::printf(" %+.0f", x);
            std::printf(" ms\n");
            all.insert(all.end(), d.begin(), d.end());
        }
    }
    if (all.empty()) return 1;
    std::sort(all.begin(), all.end());
    double sum = 0;
    for (double x : all)
        sum += x;
    std::printf(
        "mark minus onset over %zu words: mean %+.1f ms, median %+.1f, min %+.1f, max %+.1f\n",
        all.size(), sum / static_cast<double>(all.size()), all[all.size() / 2], all.front(),
        all.back());
    return 0;
}
