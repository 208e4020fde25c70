// vernalo-cli say --wav: the whole reading, repeats included, as one listening track.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include "support/cli_runner.h"

namespace {

using namespace vernalo::test;
using namespace std::string_literals;

struct Wav {
    bool valid = false;
    std::vector<std::int16_t> samples;
    double rms() const {
        double sum = 0;
        for (auto s : samples)
            sum += double(s) * s;
        return samples.empty() ? 0 : std::sqrt(sum / double(samples.size()));
    }
};

std::uint32_t Le32(const std::string& b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

Wav ReadWav(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Wav w;
    if (b.size() < 44 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0 ||
        b.compare(36, 4, "data") != 0)
        return w;
    const std::uint32_t bytes = Le32(b, 40);
    if (bytes != b.size() - 44 || Le32(b, 4) != 36 + bytes) return w;
    w.valid = true;
    w.samples.resize(bytes / 2);
    for (std::size_t i = 0; i < w.samples.size(); ++i)
        w.samples[i] = std::int16_t(std::uint8_t(b[44 + 2 * i]) | std::uint8_t(b[45 + 2 * i]) << 8);
    return w;
}

const char kMixed[] = "Привет, мир. Hello, world. Пока.";

class SayRepeats : public testing::TestWithParam<const char*> {};

TEST_P(SayRepeats, trackIsSpeechAndGrowsWithTheRepeatCounts) {
    const std::string text = Write("mixed.txt", kMixed);
    std::vector<std::size_t> lengths;
    for (int n : {1, 2, 3}) {
        const std::string wav = TempPath("track" + std::to_string(n) + ".wav");
        CliRun r =
            Cli(std::string("say --mode ") + GetParam() + " --repeat-ru " + std::to_string(n) +
                " --repeat-en " + std::to_string(n) + " --wav " + wav + " " + text);
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_NE(r.out.find("reading 100%"), std::string::npos) << r.out;
        Wav w = ReadWav(wav);
        ASSERT_TRUE(w.valid) << wav;
        EXPECT_GT(w.rms(), 500.0) << "silent track";
        lengths.push_back(w.samples.size());
    }
    ASSERT_GT(lengths[0], 22050u / 2);
    // Each repeat speaks every piece once more: the length is a multiple of the first.
    EXPECT_NEAR(double(lengths[1]) / lengths[0], 2.0, 0.1);
    EXPECT_NEAR(double(lengths[2]) / lengths[0], 3.0, 0.15);
}

// The parameter is the --mode value, a name in itself.
INSTANTIATE_TEST_SUITE_P(Cli, SayRepeats, testing::Values("sentence", "word"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

TEST(CliSay, onlyTheRepeatedLanguageGrows) {
    const std::string text = Write("mixed2.txt", kMixed);
    const std::string once = TempPath("once.wav"), twice = TempPath("twice.wav");
    ASSERT_EQ(Cli("say --wav " + once + " " + text).status, 0);
    ASSERT_EQ(Cli("say --repeat-en 2 --wav " + twice + " " + text).status, 0);
    const std::size_t a = ReadWav(once).samples.size(), b = ReadWav(twice).samples.size();
    EXPECT_GT(b, a + a / 10);
    EXPECT_LT(b, 2 * a - a / 10);
}

TEST(CliSay, textWithNothingToSpeakGivesAnEmptyTrackAndSaysSo) {
    const std::string text = Write("marks.txt", "... --- ***");
    const std::string wav = TempPath("empty.wav");
    CliRun r = Cli("say --wav " + wav + " " + text);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("nothing in the text was spoken"), std::string::npos) << r.out;
    Wav w = ReadWav(wav);
    EXPECT_TRUE(w.valid);
    EXPECT_TRUE(w.samples.empty());
}

TEST(CliSay, numberAfterTheLastWordIsSpokenToo) {
    const std::string call = Write("call.txt", "Call"), number = Write("call911.txt", "Call 911!");
    const std::string callWav = TempPath("call.wav"), numberWav = TempPath("call911.wav");
    ASSERT_EQ(Cli("say --wav " + callWav + " " + call).status, 0);
    ASSERT_EQ(Cli("say --wav " + numberWav + " " + number).status, 0);
    const std::size_t a = ReadWav(callWav).samples.size(), b = ReadWav(numberWav).samples.size();
    ASSERT_GT(a, 0u);
    // "nine hundred eleven" takes longer than "Call" itself.
    EXPECT_GT(b, 2 * a) << a << " samples for Call, " << b << " with 911";
}

TEST(CliSay, unwritableTrackFailsWithoutLeavingAFile) {
    const std::string text = Write("short.txt", "Hello.");
    const std::string dir = TempPath("no_such_dir");
    std::filesystem::remove_all(dir);
    CliRun r = Cli("say --wav " + dir + "/out.wav " + text);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.find("vernalo-cli: "), 0u) << r.out;
    EXPECT_FALSE(std::filesystem::exists(dir));
}

// The "from" and "to" of each line that holds them.
std::vector<std::string> Spans(const std::string& out) {
    std::vector<std::string> spans;
    for (std::size_t at = out.find("{\"from\":"); at != std::string::npos;
         at = out.find("{\"from\":", at + 1)) {
        const std::size_t comma = out.find(',', out.find(",\"to\":", at) + 1);
        const std::size_t close = out.find('}', at);
        spans.push_back(out.substr(at, std::min(comma, close) - at));
    }
    return spans;
}

// What the soak script watches: the pieces said are the pieces `pieces` gives, in order.
TEST(CliSay, printedPiecesAreThePiecesOfTheText) {
    std::string text = Write("say_pieces.txt", std::string(kMixed) + "\n42\n");
    for (const char* mode : {"word", "sentence"}) {
        const std::string wav = TempPath("say_pieces.wav");
        CliRun said =
            Cli(std::string("say --print-pieces --mode ") + mode + " --wav " + wav + " " + text);
        EXPECT_EQ(said.status, 0) << said.out;
        CliRun cut = Cli(std::string("pieces --mode ") + mode + " " + text);
        EXPECT_FALSE(Spans(cut.out).empty());
        EXPECT_EQ(Spans(said.out), Spans(cut.out)) << mode;
        std::filesystem::remove(wav);
    }
}

TEST(CliSay, fileThatIsNoTextIsRefusedBeforeAnySound) {
    const std::string wav = TempPath("say_not_text.wav");
    std::filesystem::remove(wav);
    const std::string in = Write("say_not_text.txt",
                                 "\x7F"
                                 "ELF\x02\x01\x01\0\0\0"s);
    CliRun r = Cli("say --wav " + wav + " " + in);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "vernalo-cli: Cannot read " + std::filesystem::path(in).filename().string() +
                         ": this is not a text document.\n");
    EXPECT_FALSE(std::filesystem::exists(wav));
}

TEST(CliSay, badUseIsOneLineAndStatusTwo) {
    for (const char* args :
         {"say --repeat-ru 0 -", "say --repeat-en 11 -", "say --repeat-en x -", "say --mode line -",
          "say --speed-ru 10 -", "say --speed-en 1000 -", "say --no-ru --no-en -",
          "say /nonexistent/file.txt", "say --voice-ru Nobody --wav /dev/null -", "say --bogus",
          "say a.txt b.txt", "say --wav", "say --repeat-text --wav /dev/null -"}) {
        CliRun r = Cli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out.find("vernalo-cli: "), 0u) << args << ": " << r.out;
        EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << args << ": " << r.out;
    }
}

}  // namespace
