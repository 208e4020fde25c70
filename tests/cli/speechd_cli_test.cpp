// vernalo-cli with speech-dispatcher's voices, through the test services' own speech-dispatcher
// and checked on the recording of the sink.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/casename.h"
#include "support/cli_runner.h"
#include "support/monitor.h"

namespace {

using namespace vernalo::test;
using namespace std::chrono_literals;

class CliService : public testing::Test {
protected:
    void SetUp() override {
        if (!Monitor() || !std::getenv("SPEECHD_ADDRESS"))
            GTEST_SKIP() << "no test speech-dispatcher (VERNALO_MONITOR, SPEECHD_ADDRESS)";
        sinkLock_.emplace();
        ASSERT_TRUE(sinkLock_->held());
    }
    void TearDown() override { sinkLock_.reset(); }
    std::optional<SinkLock> sinkLock_;
};

TEST_F(CliService, voicesListsServiceVoicesAsSoundOnly) {
    CliRun r = Cli("voices");
    ASSERT_EQ(r.status, 0) << r.out;
    for (const char* line :
         {"\tRussian (espeak-ng: Russian)\tRussian (espeak-ng)\tspeech-dispatcher, "
          "espeak-ng\t50-250\t100\tspeech-dispatcher\tsound only\n",
          "\tEnglish (flite: kal16)\tkal16 (flite)\t"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
}

// Word by word, a Russian service voice taking turns with the built-in English voice: each
// word is heard while it is highlighted, and the reading ends.
TEST_F(CliService, wordModeAlternatesServiceAndBuiltInVoices) {
    const std::string text = Write("alternate.txt", "Один two три four пять six");
    const std::string cmd = std::string(VERNALO_CLI) +
                            " say --mode word --voice-ru 'Russian (espeak-ng)' --voice-en Carol "
                            "--print-pieces " +
                            text + " </dev/null";
    // Where the recording stands as each piece is highlighted.
    std::vector<std::size_t> shownAt;
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_TRUE(p);
    char line[256];
    while (fgets(line, sizeof line, p))
        if (std::string(line).starts_with("{\"from\"")) shownAt.push_back(MonitorSize());
    ASSERT_EQ(pclose(p), 0);
    ASSERT_EQ(shownAt.size(), 6u);
    const auto heard = RecordingUntilQuiet(shownAt.front(), 500ms, true);
    ASSERT_TRUE(heard) << "the reading never reached the recording";
    shownAt.push_back(shownAt.front() + heard->size() * 2);
    for (std::size_t i = 0; i + 1 < shownAt.size(); ++i) {
        const auto piece = MonitorSamples(shownAt[i], shownAt[i + 1]);
        EXPECT_GT(LoudSeconds(piece), 0.1) << "piece " << i + 1 << " was not heard";
    }
}

TEST_F(CliService, fileOutputTakesTheLanguagesBuiltInVoiceAndSaysSo) {
    const std::string wav = TempPath("service.wav");
    CliRun r = Cli("say --voice-ru 'Russian (espeak-ng)' --wav " + wav + " " +
                   Write("ru.txt", "Проба синтеза речи."));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("'Russian (espeak-ng)' is a speech-dispatcher voice, which cannot write "
                         "files; Nicolai reads the Russian text instead"),
              std::string::npos)
        << r.out;
    EXPECT_GT(Read(wav).size(), 44u + 22050u);
}

}  // namespace
