// vernalo-cli say --subtitles: the cues beside the sound start where their sentences' sound
// does, found in the decoded file by its silences, and a common player's parser reads them.

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <regex>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/soundfile.h"
#include "support/stretches.h"

namespace {

using namespace vernalo::test;

// The start of each cue in seconds, read with the format's own clock.
std::vector<double> CueStarts(const std::string& subtitles, const std::regex& clock, bool hours) {
    std::vector<double> starts;
    for (std::sregex_iterator m(subtitles.begin(), subtitles.end(), clock), end; m != end; ++m) {
        const auto number = [&](int i) { return std::stod((*m)[i].str()); };
        starts.push_back(hours ? number(1) * 3600 + number(2) * 60 + number(3) + number(4) / 1000
                               : number(1) * 60 + number(2) + number(3) / 100);
    }
    return starts;
}

// How many cues ffprobe finds in a subtitle file; -1 when it cannot read it.
int ProbedCues(const std::string& path) {
    const std::string out = TempPath("probe.txt");
    const std::string cmd =
        "ffprobe -v error -count_packets -select_streams s:0 -show_entries "
        "stream=nb_read_packets -of csv=p=0 '" +
        path + "' >" + out;
    if (std::system(cmd.c_str()) != 0) return -1;
    return std::atoi(Read(out).c_str());
}

TEST(CliSubtitles, cuesStartWithTheSoundOfTheirSentences) {
    const bool probe = std::system("ffprobe -version >/dev/null 2>&1") == 0;
    if (!probe) std::cerr << "ffprobe is missing: the files are not checked with it\n";
    const struct {
        const char* format;
        const char* clock;
        bool hours;
        bool probed;
        const char* sound;  // the format written beside: an MP3 file sounds late when decoded
    } cases[] = {
        {"srt", R"((\d\d):(\d\d):(\d\d),(\d{3}) --> )", true, true, "mp3"},
        {"vtt", R"((\d\d):(\d\d):(\d\d)\.(\d{3}) --> )", true, true, "opus"},
        {"lrc", R"(\[(\d\d):(\d\d)\.(\d\d)\][^\n])", false, false, "wav"},
    };
    // The pauses part the pieces clearly; the English ones are heard twice.
    const std::string text = Write("subtitles.txt",
                                   "Доброе утро. Good morning to you. Как дела? Thank you.\n\n"
                                   "Хорошо, спасибо. The end & more.");
    for (const auto& c : cases) {
        const std::string out = TempPath(std::string("subtitles.") + c.sound);
        const std::string subtitles = TempPath(std::string("subtitles.") + c.format);
        const CliRun r = Cli(std::string("say --repeat-en 2 --pause-after 1 --out ") + out +
                             " --subtitles " + c.format + " " + text);
        ASSERT_EQ(r.status, 0) << c.format << ": " << r.out;
        const Sound sound = Decode(out);
        ASSERT_TRUE(sound.valid) << c.sound;
        const auto pieces =
            SoundStretches(sound.samples, 300.0 / 32768, static_cast<std::size_t>(sound.rate / 4));
        const auto starts = CueStarts(Read(subtitles), std::regex(c.clock), c.hours);
        ASSERT_EQ(pieces.size(), 9u) << c.format;
        ASSERT_EQ(starts.size(), pieces.size()) << c.format << ":\n" << Read(subtitles);
        for (std::size_t i = 0; i < starts.size(); ++i)
            EXPECT_NEAR(starts[i], double(pieces[i].first) / sound.rate, 0.030)
                << c.format << ", cue " << i + 1;
        if (probe && c.probed) {
            EXPECT_EQ(ProbedCues(subtitles), int(starts.size())) << c.format;
        }
    }
}

}  // namespace
