// Prints, for each installed Festival voice played on the default sound device: how long its
// first piece takes (the voice loads), how soon a sentence is heard once the voice is loaded
// (Say to first sound, measured in the recording of the sink's monitor), and the memory of the
// engine processes, with how many stay alive while the voices are idle.
// Usage: driven_bench [ROUNDS]; needs $VERNALO_MONITOR (bench/driven_voices.sh sets it up).

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "speech/driven/drivenvoice.h"
#include "speech/sounddevice.h"
#include "support/children.h"
#include "text/textcodec.h"

using namespace vernalo;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kLoud = 300;

std::size_t MonitorSamples(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<std::size_t>(st.st_size) / 2 : 0;
}

// The first loud sample of the recording from `from` on, waiting up to `limit` for it.
std::optional<std::size_t> FirstLoud(const std::string& path, std::size_t from,
                                     std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    std::size_t at = from;
    while (Clock::now() < deadline) {
        const std::size_t to = MonitorSamples(path);
        if (to > at) {
            std::vector<std::int16_t> s(to - at);
            std::ifstream f(path, std::ios::binary);
            f.seekg(static_cast<std::streamoff>(at * 2));
            f.read(reinterpret_cast<char*>(s.data()), static_cast<std::streamsize>(s.size() * 2));
            s.resize(static_cast<std::size_t>(f.gcount()) / 2);
            for (std::size_t i = 0; i < s.size(); ++i)
                if (s[i] > kLoud || s[i] < -kLoud) return at + i;
            at += s.size();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return std::nullopt;
}

void WaitSilent(const Voice& voice) {
    while (voice.speaking())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the sink plays it out
}

long RssKb(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Sample {
    const char16_t* language;
    const char16_t* warm;
    std::vector<const char16_t*> sentences;
};

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const char* monitorEnv = std::getenv("VERNALO_MONITOR");
    if (!monitorEnv || MonitorSamples(monitorEnv) == 0) {
        std::fprintf(stderr, "driven_bench: no recording of the sink's monitor\n");
        return 2;
    }
    const std::string monitor = monitorEnv;
    const std::vector<Sample> samples = {
        {u"Russian",
         u"Голос загружается.",
         {u"Это первое предложение для проверки.", u"Вот второе, чуть длиннее первого.",
          u"И третье предложение здесь."}},
        {u"English",
         u"The voice loads.",
         {u"This is the first sentence to check.", u"Here is a second one, a bit longer.",
          u"And the third sentence is here."}},
    };
    SoundDeviceHost host;
    std::vector<std::unique_ptr<PlaybackOutput>> outputs;
    std::vector<std::unique_ptr<DrivenVoice>> voices;
    for (const Sample& sample : samples) {
        std::vector<DrivenMode> modes;
        for (const DrivenMode& m : InstalledDrivenModes())
            if (m.engine == "festival" && m.name.find(sample.language) != std::u16string::npos)
                modes.push_back(m);
        if (modes.empty()) continue;
        const std::string name = Utf16ToUtf8(modes.front().name);
        std::string error;
        outputs.push_back(OpenSoundDevice(&error));
        if (!outputs.back()) {
            std::fprintf(stderr, "driven_bench: %s\n", error.c_str());
            return 2;
        }
        PlaybackOutput* out = outputs.back().get();
        voices.push_back(
            std::make_unique<DrivenVoice>(modes, [out]() -> PlaybackOutput& { return *out; }));
        DrivenVoice& voice = *voices.back();
        voice.select(1);
        const auto loadStart = Clock::now();
        voice.speak(sample.warm);
        WaitSilent(voice);
        const double loadS = std::chrono::duration<double>(Clock::now() - loadStart).count();
        std::vector<double> firstMs;
        for (int r = 0; r < rounds; ++r) {
            for (const char16_t* sentence : sample.sentences) {
                const std::size_t mark = MonitorSamples(monitor);
                voice.speak(sentence);
                const auto loud = FirstLoud(monitor, mark, std::chrono::seconds(20));
                if (loud) firstMs.push_back((*loud - mark) * 1000.0 / kSampleRate);
                WaitSilent(voice);
            }
        }
        std::printf("%-44s first piece (voice loads) %6.2f s\n", name.c_str(), loadS);
        std::printf("%-44s Say to first sound, voice loaded: %4.0f ms median, %4.0f ms max (%zu)\n",
                    name.c_str(), Median(firstMs),
                    firstMs.empty() ? 0.0 : *std::max_element(firstMs.begin(), firstMs.end()),
                    firstMs.size());
        std::printf("%-44s engine memory (RSS) %6.0f MB\n", name.c_str(),
                    RssKb(voice.enginePid()) / 1024.0);
    }
    std::printf("%-44s %zu festival processes with both voices idle\n", "vernalo",
                test::ChildrenNamed("festival").size());
    voices.clear();
    std::printf("%-44s %zu festival processes after the voices are gone\n", "vernalo",
                test::ChildrenNamed("festival").size());
    return 0;
}
