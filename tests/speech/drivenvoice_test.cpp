// Voices of installed engines that the program runs itself: Festival for real (skipped where
// it is not installed), a user's command around espeak-ng, and Piper and RHVoice through
// stand-in scripts with their command-line interfaces.

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "speech/driven/drivenmode.h"
#include "speech/driven/drivenvoice.h"
#include "speech/driven/piecesynthesis.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

namespace fs = std::filesystem;

// Keeps every sample written; plays at once, so a test waits for synthesis only.
class Recording : public PlaybackOutput {
public:
    void write(const std::int16_t* samples, std::size_t count) override {
        std::lock_guard lock(mutex_);
        samples_.insert(samples_.end(), samples, samples + count);
    }
    bool playing() const override { return false; }
    void reset() override {}
    // What a test says has been heard.
    std::optional<std::int64_t> heard() const override { return heardAt; }
    std::atomic<std::int64_t> heardAt = 0;
    std::vector<std::int16_t> samples() const {
        std::lock_guard lock(mutex_);
        return samples_;
    }
    std::size_t count() const {
        std::lock_guard lock(mutex_);
        return samples_.size();
    }
    double rms() const {
        std::lock_guard lock(mutex_);
        return Rms(samples_.data(), samples_.size());
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::int16_t> samples_;
};

template <class Condition>
bool WaitFor(Condition done, std::chrono::seconds limit = std::chrono::seconds(60)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

bool Alive(pid_t pid) {
    // A reaped child is gone; a zombie would still answer.
    return ::kill(pid, 0) == 0;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// A folder of its own under the test's temporary folder.
std::string Folder(const std::string& name) {
    const fs::path p = fs::path(testing::TempDir()) /
                       ("vernalo-driven-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(p);
    fs::create_directories(p);
    return p.string();
}

std::vector<DrivenMode> RussianFestival() {
    std::vector<DrivenMode> modes;
    for (DrivenMode& m : FestivalModes())
        if (m.name.starts_with(u"Russian")) modes.push_back(std::move(m));
    return modes;
}

TEST(DrivenVoice, festivalSpeaksRussianAndItsEngineEndsWithTheVoice) {
    auto modes = RussianFestival();
    if (modes.empty()) GTEST_SKIP() << "Festival with a Russian voice is not installed";
    Recording out;
    pid_t pid = 0;
    {
        DrivenVoice voice(modes, [&out]() -> PlaybackOutput& { return out; });
        EXPECT_EQ(voice.enginePid(), 0) << "no engine may start before the first piece";
        voice.speak(u"Привет, это проверка голоса.");
        ASSERT_TRUE(WaitFor([&] { return voice.speaking() == 0; }));
        EXPECT_GT(out.count(), std::size_t(kSampleRate)) << "less than a second of speech";
        EXPECT_GT(out.rms(), 300);
        pid = voice.enginePid();
        ASSERT_GT(pid, 0);
        EXPECT_TRUE(Alive(pid));
        // The same process speaks the next piece: the voice is loaded once. Signs the voice's
        // letter rules do not know (brackets, a semicolon, lone quotes) silence no sentence.
        const std::size_t before = out.count();
        voice.speak(u"Второе (и последнее) предложение; « » — вот оно.");
        ASSERT_TRUE(WaitFor([&] { return voice.speaking() == 0; }));
        EXPECT_EQ(voice.enginePid(), pid);
        EXPECT_GT(out.count(), before + kSampleRate) << "the sentence was left silent";
    }
    EXPECT_FALSE(Alive(pid)) << "Festival outlived its voice";
}

TEST(DrivenVoice, festivalSpeedShortensTheSpeechOfEveryVoice) {
    const auto modes = FestivalModes();
    if (modes.empty()) GTEST_SKIP() << "Festival is not installed";
    for (const DrivenMode& mode : modes) {
        std::size_t lengths[2] = {};
        int i = 0;
        for (int speed : {100, 200}) {
            Recording out;
            DrivenVoice voice({mode}, [&out]() -> PlaybackOutput& { return out; });
            voice.setSpeed(speed);
            voice.speak(mode.name.starts_with(u"Russian")
                            ? u"Скорость речи меняется по желанию читателя."
                            : u"The speed of speech changes as the reader wishes.");
            ASSERT_TRUE(WaitFor([&] { return voice.speaking() == 0; }));
            lengths[i++] = out.count();
        }
        EXPECT_LT(lengths[1], lengths[0] * 0.7)
            << std::string(mode.engine) << " voice " << modes.size() << ": " << lengths[0]
            << " samples at 100 %, " << lengths[1] << " at 200 %";
        EXPECT_GT(lengths[1], lengths[0] * 0.3);
    }
}

// Festival tells when each word sounds: the mark walks the words of the text in order, each
// marked while its sound plays, at any speed (the Russian voice's sound is stretched by us).
TEST(DrivenVoice, festivalMarksEachWordWhileItSounds) {
    const auto modes = FestivalModes();
    if (modes.empty()) GTEST_SKIP() << "Festival is not installed";
    for (const DrivenMode& mode : modes) {
        const bool russian = mode.name.starts_with(u"Russian");
        const std::u16string text = russian ? u"Каждое слово, сказанное вслух, отмечено."
                                            : u"Every word, said aloud, is marked here.";
        const std::vector<std::u16string> words =
            russian ? std::vector<std::u16string>{u"Каждое", u"слово", u"сказанное", u"вслух",
                                                  u"отмечено"}
                    : std::vector<std::u16string>{u"Every", u"word",   u"said", u"aloud",
                                                  u"is",    u"marked", u"here"};
        for (int speed : {100, 200}) {
            Recording out;
            DrivenVoice voice({mode}, [&out]() -> PlaybackOutput& { return out; });
            voice.setSpeed(speed);
            voice.speak(text);
            ASSERT_TRUE(WaitFor([&] { return voice.speaking() == 0; }));
            const std::vector<std::int16_t> sound = out.samples();
            std::vector<std::u16string> marked;
            std::vector<std::pair<std::size_t, std::size_t>> spans;  // samples marked, per word
            for (std::size_t at = 0; at < sound.size(); at += kSampleRate / 100) {
                out.heardAt = static_cast<std::int64_t>(at);
                const auto span = voice.heardWord();
                if (!span) continue;
                const std::u16string word = text.substr(static_cast<std::size_t>(span->offset),
                                                        static_cast<std::size_t>(span->length));
                if (marked.empty() || marked.back() != word) {
                    marked.push_back(word);
                    spans.emplace_back(at, at);
                }
                spans.back().second = at;
            }
            // A word is marked while it sounds, not over a pause.
            for (std::size_t i = 0; i < spans.size(); ++i)
                EXPECT_GT(Rms(sound.data() + spans[i].first, spans[i].second - spans[i].first + 1),
                          300)
                    << Utf16ToUtf8(marked[i]) << " at " << speed << " %";
            EXPECT_EQ(marked, words) << Utf16ToUtf8(mode.name) << " at " << speed << " %";
            out.heardAt = static_cast<std::int64_t>(sound.size());
            EXPECT_FALSE(voice.heardWord()) << "a word marked after the sound ended";
        }
    }
}

// A voices file with one voice around espeak-ng that logs each text it is given.
struct CommandVoiceRig {
    CommandVoiceRig() {
        const std::string folder = Folder("command");
        log = folder + "/log.txt";
        file = folder + "/voices.ini";
        std::ofstream(file) << "# a voice of my own\n"
                            << "[Logged espeak]\n"
                            << "language = en\n"
                            << "command = tee -a " << log << " | espeak-ng --stdout -v en\n"
                            << "speed-option = -s\n"
                            << "normal-speed = 175\n";
        modes = CommandModes(file, &problems);
    }
    std::string log, file;
    std::vector<std::string> problems;
    std::vector<DrivenMode> modes;
};

TEST(DrivenVoice, userCommandSpeaksWhatPrepareMadeAheadOnce) {
    CommandVoiceRig rig;
    ASSERT_TRUE(rig.problems.empty()) << rig.problems[0];
    ASSERT_EQ(rig.modes.size(), 1u);
    EXPECT_EQ(rig.modes[0].name, u"English (Logged espeak)");
    Recording out;
    DrivenVoice voice(rig.modes, [&out]() -> PlaybackOutput& { return out; });
    voice.prepare(u"made ahead");
    ASSERT_TRUE(WaitFor([&] { return Count(ReadFile(rig.log), "made ahead") == 1; }));
    EXPECT_EQ(out.count(), 0u) << "a prepared piece played before it was asked for";
    voice.speak(u"made ahead");
    ASSERT_TRUE(WaitFor([&] { return voice.speaking() == 0; }));
    EXPECT_GT(out.count(), std::size_t(kSampleRate / 4));
    EXPECT_EQ(Count(ReadFile(rig.log), "made ahead"), 1u) << "the piece was made twice";
}

TEST(DrivenVoice, resetAndSpeedChangeDiscardWhatWasMadeAhead) {
    CommandVoiceRig rig;
    ASSERT_EQ(rig.modes.size(), 1u);
    Recording out;
    DrivenVoice voice(rig.modes, [&out]() -> PlaybackOutput& { return out; });
    voice.prepare(u"stale");
    ASSERT_TRUE(WaitFor([&] { return Count(ReadFile(rig.log), "stale") == 1; }));
    voice.audioReset();
    voice.speak(u"stale");
    ASSERT_TRUE(WaitFor([&] { return voice.speaking() == 0; }));
    EXPECT_EQ(Count(ReadFile(rig.log), "stale"), 2u) << "a piece made before the reset was played";

    voice.prepare(u"slower");
    ASSERT_TRUE(WaitFor([&] { return Count(ReadFile(rig.log), "slower") == 1; }));
    voice.setSpeed(60);
    voice.speak(u"slower");
    ASSERT_TRUE(WaitFor([&] { return voice.speaking() == 0; }));
    EXPECT_EQ(Count(ReadFile(rig.log), "slower"), 2u) << "a piece made at the old speed was played";
}

TEST(DrivenVoice, anEngineThatFailsIsReportedByNameAndTheVoiceFallsSilent) {
    const std::string folder = Folder("failing");
    std::ofstream(folder + "/voices.ini") << "[Broken engine]\nlanguage = ru\ncommand = exit 3\n";
    std::vector<std::string> problems;
    auto modes = CommandModes(folder + "/voices.ini", &problems);
    ASSERT_EQ(modes.size(), 1u);
    Recording out;
    DrivenVoice voice(modes, [&out]() -> PlaybackOutput& { return out; });
    std::mutex mutex;
    std::string error;
    voice.onError = [&](const std::string& message) {
        std::lock_guard lock(mutex);
        error = message;
    };
    voice.speak(u"ничего");
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard lock(mutex);
        return !error.empty();
    }));
    EXPECT_TRUE(WaitFor([&] { return voice.speaking() == 0; }));
    std::lock_guard lock(mutex);
    EXPECT_NE(error.find("Broken engine"), std::string::npos) << error;
    EXPECT_EQ(out.count(), 0u);
}

TEST(DrivenVoice, aHungEngineEndsWithItsVoiceAtOnce) {
    const std::string folder = Folder("hung");
    const std::string started = folder + "/started";
    std::ofstream(folder + "/voices.ini")
        << "[Hung engine]\nlanguage = en\ncommand = touch " << started << "; sleep 1000\n";
    std::vector<std::string> problems;
    auto modes = CommandModes(folder + "/voices.ini", &problems);
    ASSERT_EQ(modes.size(), 1u);
    Recording out;
    auto voice = std::make_unique<DrivenVoice>(modes, [&out]() -> PlaybackOutput& { return out; });
    voice->speak(u"nothing comes");
    ASSERT_TRUE(WaitFor([&] { return fs::exists(started); }));
    EXPECT_EQ(voice->speaking(), 1);
    const auto before = std::chrono::steady_clock::now();
    voice.reset();
    // Far below the time an engine is given: the destructor did not wait for it.
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
}

TEST(DrivenVoice, badVoicesFileEntriesAreNamedByFileAndLineAndLeftOut) {
    const std::string file = Folder("badfile") + "/voices.ini";
    std::ofstream(file) << "stray = 1\n"
                        << "[Good]\nlanguage = en\ncommand = espeak-ng --stdout\n"
                        << "[No language]\ncommand = espeak-ng --stdout\n"
                        << "[Bad rate]\nlanguage = ru\ncommand = x\nsample-rate = fast\n"
                        << "[Odd key]\nlanguage = de\ncommand = x\n";
    std::vector<std::string> problems;
    auto modes = CommandModes(file, &problems);
    ASSERT_EQ(modes.size(), 1u);
    EXPECT_EQ(modes[0].speaker, u"Good");
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_NE(problems[0].find(file + ":1:"), std::string::npos) << problems[0];
    EXPECT_NE(problems[1].find(file + ":5:"), std::string::npos) << problems[1];
    EXPECT_NE(problems[2].find(file + ":10:"), std::string::npos) << problems[2];
    EXPECT_NE(problems[3].find(file + ":12:"), std::string::npos) << problems[3];
}

// PATH and HOME pointing at a folder with a stand-in program and its voice files.
class StandIn : public testing::Test {
protected:
    void install(const std::string& script, const std::string& program) {
        home_ = Folder(program);
        fs::create_directories(home_ + "/bin");
        fs::copy_file(std::string(VERNALO_STANDINS) + "/" + script, home_ + "/bin/" + program);
        oldPath_ = getenv("PATH");
        oldHome_ = getenv("HOME");
        setenv("PATH", (home_ + "/bin:" + oldPath_).c_str(), 1);
        setenv("HOME", home_.c_str(), 1);
    }
    void TearDown() override {
        if (!oldPath_.empty()) setenv("PATH", oldPath_.c_str(), 1);
        if (!oldHome_.empty()) setenv("HOME", oldHome_.c_str(), 1);
    }
    std::string home_, oldPath_, oldHome_;
};

TEST_F(StandIn, piperVoiceKeepsOneEngineForItsPieces) {
    install("standin_piper.sh", "piper");
    const std::string voices = home_ + "/.local/share/piper-voices";
    fs::create_directories(voices);
    std::ofstream(voices + "/en_US-standin-medium.onnx") << "model";
    std::ofstream(voices + "/en_US-standin-medium.onnx.json")
        << R"({"audio": {"sample_rate": 22050}, "language": {"code": "en_US"}})";
    auto modes = PiperModes();
    ASSERT_EQ(modes.size(), 1u);
    EXPECT_EQ(modes[0].name, u"English (Piper: en_US-standin-medium)");
    Recording out;
    DrivenVoice voice(modes, [&out]() -> PlaybackOutput& { return out; });
    std::mutex mutex;
    std::vector<std::pair<std::u16string, bool>> loading;
    voice.onLoading = [&](const std::u16string& speaker, bool starts) {
        std::lock_guard lock(mutex);
        loading.emplace_back(speaker, starts);
    };
    voice.speak(u"First piece.");
    ASSERT_TRUE(WaitFor([&] { return voice.speaking() == 0; }));
    const std::size_t first = out.count();
    EXPECT_GT(first, std::size_t(kSampleRate / 4));
    const pid_t pid = voice.enginePid();
    ASSERT_GT(pid, 0);
    voice.speak(u"Second piece.");
    ASSERT_TRUE(WaitFor([&] { return voice.speaking() == 0; }));
    EXPECT_GT(out.count(), first + kSampleRate / 4);
    EXPECT_EQ(voice.enginePid(), pid) << "Piper was started again for the next piece";
    {
        // The load is told once, around the first piece only.
        std::lock_guard lock(mutex);
        const std::vector<std::pair<std::u16string, bool>> once = {{modes[0].speaker, true},
                                                                   {modes[0].speaker, false}};
        EXPECT_EQ(loading, once);
    }
    // Idle, the voice lends its loaded engine: an export takes that one, not a new one.
    const auto pool = EnginePool::shared();
    ASSERT_TRUE(WaitFor([&] { return pool->idlePids() == std::vector<pid_t>{pid}; }));
    std::unique_ptr<Synthesizer> borrowed = pool->take(modes[0]);
    EXPECT_EQ(borrowed->pid(), pid);
    pool->give(modes[0], std::move(borrowed));
    EXPECT_TRUE(Alive(pid));
}

TEST_F(StandIn, rhvoiceVoiceSpeaksAndLeavesNoProcess) {
    install("standin_rhvoice.sh", "RHVoice-test");
    const std::string voice = home_ + "/.local/share/RHVoice/voices/anna";
    fs::create_directories(voice);
    std::ofstream(voice + "/voice.info") << "name=Anna\nlanguage=Russian\n";
    auto modes = RhvoiceModes();
    ASSERT_EQ(modes.size(), 1u);
    EXPECT_EQ(modes[0].speaker, u"Anna (RHVoice)");
    Recording out;
    DrivenVoice v(modes, [&out]() -> PlaybackOutput& { return out; });
    v.speak(u"Проверка голоса.");
    ASSERT_TRUE(WaitFor([&] { return v.speaking() == 0; }));
    EXPECT_GT(out.count(), std::size_t(kSampleRate / 4));
    EXPECT_GT(out.rms(), 300);
    EXPECT_EQ(v.enginePid(), 0);
}

// An engine that fails its first `failures` pieces, then gives a second of silence with a loud
// sample half-way and one word from 0.2 s to its end.
struct ScriptedEngine : Synthesizer {
    int failures = 0;
    bool synthesize(const std::string&, int, Pcm* pcm, std::string* error, Deadline) override {
        *error = "died";
        if (failures-- > 0) return false;
        *pcm = {std::vector<std::int16_t>(kSampleRate, 0), kSampleRate, {{0.2, 1.0, 3, 4}}};
        pcm->samples[kSampleRate / 2] = 10000;
        return true;
    }
    void interrupt() override {}
};

// The synthesis the reading voice and the export share: only the voice cuts the lead-in (the
// exported files keep theirs), the word times follow the cut, a failing engine gets one more
// chance. Trimmed, 10 ms stay before the loud sample: 11025 - 220 samples go.
TEST(SynthesizePiece, trimsOnlyWhenAskedAndTriesTwice) {
    struct Case {
        bool trimLead;
        int failures;
        std::size_t samples;  // 0: fails
        std::int64_t wordStart, wordEnd;
    } const cases[] = {
        {false, 0, 22050, 4410, 22050},
        {true, 0, 11245, 0, 11245},
        {false, 1, 22050, 4410, 22050},
        {true, 2, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "trim " << c.trimLead << ", failures " << c.failures);
        ScriptedEngine engine;
        engine.failures = c.failures;
        const EngineTurns turns{[&](int) { return &engine; }, [](bool) { return true; }};
        SynthesizedPiece piece;
        std::string error;
        EXPECT_EQ(SynthesizePiece("x", 100, turns, c.trimLead, &piece, &error), c.samples > 0);
        EXPECT_EQ(piece.samples.size(), c.samples);
        if (c.samples == 0) continue;
        ASSERT_EQ(piece.words.size(), 1u);
        EXPECT_EQ(piece.words[0].start, c.wordStart);
        EXPECT_EQ(piece.words[0].end, c.wordEnd);
        EXPECT_EQ(piece.words[0].span, (Voice::WordSpan{3, 4}));
    }
}

}  // namespace
}  // namespace vernalo
