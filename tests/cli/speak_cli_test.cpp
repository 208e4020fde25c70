// vernalo-cli voices and speak, run as a user would.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "speech/audiooutput.h"
#include "support/casename.h"
#include "support/cli_runner.h"

namespace {

using namespace vernalo::test;

TEST(CliVoices, listsEveryModeWithRangeAndNormalSpeed) {
    CliRun r = Cli("voices");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("1\tRussian, male\tNicolai\tDIGALO"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\tCarol\t"), std::string::npos);
    EXPECT_NE(r.out.find("\t50-250\t100\tbuilt-in\twrites files\n"), std::string::npos);
}

TEST(CliSpeak, wavIsNonSilentAndSpeakingLastedAsLongAsTheAudio) {
    const std::string wav = TempPath("cli_speak.wav");
    std::remove(wav.c_str());
    CliRun r = Cli("speak --voice Carol --wav " + wav + " 'Test of speech, for english voice.'");
    ASSERT_EQ(r.status, 0) << r.out;
    std::ifstream f(wav, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    ASSERT_GT(bytes.size(), 44u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    std::vector<std::int16_t> samples((bytes.size() - 44) / 2);
    std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
    const double audio = double(samples.size()) / vernalo::kSampleRate;
    EXPECT_GT(vernalo::Rms(samples.data(), samples.size()), 500.0);
    EXPECT_GT(audio, 1.0);
    // The command exits when the audio has finished: it spoke for as long as the audio lasts.
    EXPECT_GE(r.seconds, audio);
    EXPECT_LT(r.seconds, audio + 1.0);
}

struct BadUse {
    const char* name;
    const char* args;
    int status;
    const char* message;
};

void PrintTo(const BadUse& c, std::ostream* os) {
    *os << c.name;
}

class CliSpeakErrors : public testing::TestWithParam<BadUse> {};

TEST_P(CliSpeakErrors, saysWhatIsWrong) {
    CliRun r = Cli(GetParam().args);
    EXPECT_EQ(r.status, GetParam().status) << r.out;
    EXPECT_NE(r.out.find(GetParam().message), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliSpeakErrors,
    testing::Values(BadUse{"noText", "speak", 2, "vernalo-cli: speak needs a text"},
                    BadUse{"unknownVoice", "speak --voice Nobody hi", 2, "no voice 'Nobody'"},
                    BadUse{"speedOutOfRange", "speak --speed 1000 hi", 2,
                           "--speed takes a number from 50 to 250"},
                    BadUse{"speedNotANumber", "speak --speed x hi", 2, "--speed takes"},
                    BadUse{"unwritableTrack", "speak --wav /nonexistent-dir/a.wav hi", 1,
                           "cannot write '/nonexistent-dir/a.wav'"},
                    BadUse{"voicesWithArguments", "voices extra", 2, "voices takes no arguments"},
                    BadUse{"unknownOption", "speak --loud hi", 2, "unknown option '--loud'"}),
    CaseName);

}  // namespace
