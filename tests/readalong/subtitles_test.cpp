// The subtitle writers: the exact text of each format for a small timeline made by hand.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "readalong/subtitles/subtitlefiles.h"
#include "readalong/subtitles/subtitles.h"
#include "speech/samplesink.h"

namespace {

using namespace vernalo;

constexpr std::int64_t Ms(std::int64_t ms) {
    return ms * kSampleRate / 1000;
}

// "Hi & bye." spoken twice (the second time after a pause), its words timed the first time; a
// heading of two lines; a piece of nothing but a line break; a piece with no sound.
const std::u16string kText = u"Hi & bye. Глава\n  первая\n\nEnd.";

PartTimeline Part() {
    PartTimeline part;
    part.title = "Book";
    part.pieces = {
        {{0, 9},
         Language::English,
         0,
         Ms(0),
         Ms(1500),
         {{Ms(0), Ms(400), {0, 2}}, {Ms(400), Ms(500), {3, 1}}, {Ms(600), Ms(1500), {5, 4}}}},
        {{0, 9}, Language::English, 1, Ms(3000), Ms(4500), {}},
        {{10, 14}, Language::Russian, 0, Ms(4500), Ms(3723456), {}},
        {{24, 2}, Language::Russian, 0, Ms(3723456), Ms(3723900), {}},
        {{26, 4}, Language::English, 0, Ms(3723900), Ms(3723900), {}},
    };
    return part;
}

TEST(Subtitles, eachFormatWritesEveryRepetitionAsItsOwnCue) {
    const struct {
        SubtitleFormat format;
        const char* expected;
    } cases[] = {
        {SubtitleFormat::Srt,
         "1\n00:00:00,000 --> 00:00:01,500\nHi & bye.\n\n"
         "2\n00:00:03,000 --> 00:00:04,500\nHi & bye.\n\n"
         "3\n00:00:04,500 --> 01:02:03,456\nГлава первая\n\n"},
        {SubtitleFormat::WebVtt,
         "WEBVTT\n\n"
         "00:00:00.000 --> 00:00:01.500\nHi <00:00:00.400>&amp; <00:00:00.600>bye.\n\n"
         "00:00:03.000 --> 00:00:04.500\nHi &amp; bye.\n\n"
         "00:00:04.500 --> 01:02:03.456\nГлава первая\n\n"},
        {SubtitleFormat::Lrc,
         "[ti:Book]\n[00:00.00]Hi & bye.\n[00:03.00]Hi & bye.\n[00:04.50]Глава первая\n"
         "[62:03.46]\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SubtitleText(c.format, Part(), kText), c.expected) << SubtitleSuffix(c.format);
}

TEST(Subtitles, formatsByNameAndBesideTheirSound) {
    for (const char* name : {"srt", "vtt", "lrc"}) {
        const auto f = SubtitleFormatNamed(name);
        ASSERT_TRUE(f) << name;
        EXPECT_EQ(SubtitlePathFor("/a/b.c/01 - x.mp3", *f), std::string("/a/b.c/01 - x.") + name);
    }
    EXPECT_FALSE(SubtitleFormatNamed("ass"));
}

// A subtitle that cannot be written undoes the whole export.
TEST(Subtitles, oneUnwritableFileTakesTheExportWithIt) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(testing::TempDir()) / "vernalo-subtitles";
    fs::remove_all(dir);
    fs::create_directories(dir / "2.srt");  // a folder where the second part's subtitles go
    ExportResult result;
    result.ok = true;
    for (const char* name : {"1.mp3", "2.mp3"}) {
        const std::string path = (dir / name).string();
        std::ofstream(path) << "sound";
        result.files.push_back(path);
        result.timeline.parts.push_back(Part());
        result.timeline.parts.back().path = path;
    }
    EXPECT_FALSE(WriteSubtitlesBeside(SubtitleFormat::Srt, kText, result));
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find((dir / "2.srt").string()), std::string::npos) << result.error;
    for (const char* name : {"1.mp3", "2.mp3", "1.srt"})
        EXPECT_FALSE(fs::exists(dir / name)) << name;
}

}  // namespace
