// The sound formats behind one contract, and the timeline of what an export said when.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "export/audioexport.h"
#include "export/audiofile.h"
#include "export/formats/audioformat.h"
#include "speech/espeakengine.h"
#include "support/freshfolder.h"

namespace {

using namespace vernalo;
namespace fs = std::filesystem;

sf_count_t Frames(const std::string& path) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (f) sf_close(f);
    return f ? info.frames : -1;
}

// The rate, channels and length ffprobe finds; none without ffprobe.
SF_INFO Probed(const std::string& path) {
    SF_INFO info{};
    const std::string command =
        "ffprobe -v error -select_streams a -show_entries "
        "stream=sample_rate,channels,duration_ts -of csv=p=0 '" +
        path + "'";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    long long frames = 0;
    if (pipe && std::fscanf(pipe, "%d,%d,%lld", &info.samplerate, &info.channels, &frames) == 3)
        info.frames = frames;
    if (pipe) ::pclose(pipe);
    return info;
}

std::string FreshDir(const std::string& name) {
    return test::FreshFolder("formats-" + name);
}

TEST(AudioFormats, suffixesNameOneFormatEach) {
    const struct {
        const char* path;
        const char* format;  // null: none
    } cases[] = {
        {"book.mp3", "MP3"},        {"BOOK.MP3", "MP3"},        {"a/b.c/book.opus", "Ogg Opus"},
        {"book.ogg", "Ogg Vorbis"}, {"book.oga", "Ogg Vorbis"}, {"book.flac", "FLAC"},
        {"book.wav", "WAV"},        {"book", nullptr},          {"book.mp3.txt", nullptr},
        {"book.", nullptr},         {".mp3", nullptr},          {"book.m4b", "M4B"},
        {"book.M4A", "M4B"},
    };
    for (const auto& c : cases) {
        const AudioFormat* f = FormatForPath(c.path);
        EXPECT_EQ(f ? std::string(f->name) : std::string("none"),
                  c.format ? std::string(c.format) : std::string("none"))
            << c.path;
    }
    EXPECT_EQ(KnownSuffixes(), ".mp3, .opus, .ogg, .flac, .m4b or .wav");
}

// Every format of the list writes a file that reads back as the sound given, within the
// encoder's framing (MP3 adds its delay and padding: a few frames of 1152 samples).
TEST(AudioFormats, everyFormatWritesWhatReadsBackAsTheSound) {
    const std::string dir = FreshDir("each");
    std::vector<std::int16_t> tone(kSampleRate);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<std::int16_t>(8000 * std::sin(double(i) * 0.06));
    for (const AudioFormat* format : AudioFormats()) {
        const std::string path = dir + "/tone." + format->suffixes.front();
        AudioFileSet files(path, *format, "Tone", false);
        std::string error;
        ASSERT_TRUE(files.open(&error)) << format->name << ": " << error;
        files.write(tone.data(), tone.size());
        ASSERT_TRUE(files.finish(&error)) << format->name << ": " << error;
        SF_INFO info{};
        SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
        // libsndfile reads all but MP4, which ffprobe reads where it is installed.
        if (!f && path.ends_with(".m4b")) info = Probed(path);
        if (f) sf_close(f);
        if (info.samplerate == 0 && path.ends_with(".m4b")) continue;
        ASSERT_GT(info.samplerate, 0) << format->name << ": " << sf_strerror(nullptr);
        const double seconds = double(info.frames) / info.samplerate;
        EXPECT_NEAR(seconds, 1.0, 0.12) << format->name;
        EXPECT_EQ(info.channels, 1) << format->name;
    }
}

// The timeline names each file with the pieces it holds, every repetition with its own span of
// sound, in the text's order, with a chapter at the start of each chapter's file.
TEST(ExportTimeline, recordsEachRepetitionInItsOwnFile) {
    if (EspeakEngine::instance().modes().empty()) GTEST_SKIP() << "no built-in voices";
    const std::string dir = FreshDir("timeline");
    ExportRequest request;
    request.text = u"One\nFirst words here. More words.\nTwo\nСлова второй главы.";
    request.chapters = {{0, "One"}, {34, "Two"}};
    request.options.repeats = {{2, 2}};
    request.path = dir + "/book.wav";
    DictionaryStore dicts;
    std::atomic<bool> cancel{false};
    const ExportResult r = ExportAudio(request, dicts, nullptr, cancel);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.timeline.parts.size(), 2u);
    long textBefore = -1;
    for (std::size_t p = 0; p < 2; ++p) {
        const PartTimeline& part = r.timeline.parts[p];
        EXPECT_EQ(part.path, r.files[p]);
        ASSERT_EQ(part.chapters.size(), 1u);
        EXPECT_EQ(part.chapters[0].title, request.chapters[p].title);
        EXPECT_EQ(part.chapters[0].start, 0);
        EXPECT_EQ(part.samples, Frames(part.path));
        ASSERT_FALSE(part.pieces.empty());
        std::int64_t soundBefore = 0;
        for (std::size_t i = 0; i < part.pieces.size(); ++i) {
            const TimedPiece& piece = part.pieces[i];
            EXPECT_EQ(piece.repetition, int(i % 2)) << p << ":" << i;
            if (piece.repetition == 1) {
                EXPECT_EQ(piece.text, part.pieces[i - 1].text);
            } else {
                EXPECT_GT(piece.text.start, textBefore);
                textBefore = piece.text.start;
            }
            EXPECT_GE(piece.start, soundBefore);
            EXPECT_GT(piece.end, piece.start);
            EXPECT_LE(piece.end, part.samples);
            soundBefore = piece.end;
            // Both engines (this process's and the second language's copy) tell their words:
            // each lies in its piece's sound and text, in order.
            EXPECT_FALSE(piece.words.empty()) << p << ":" << i;
            std::int64_t wordBefore = piece.start;
            for (const TimedWord& w : piece.words) {
                EXPECT_GE(w.start, wordBefore);
                EXPECT_LE(w.start, w.end);
                EXPECT_LE(w.end, piece.end);
                EXPECT_GE(w.text.start, piece.text.start);
                EXPECT_LE(w.text.start + w.text.length, piece.text.start + piece.text.length);
                wordBefore = w.start;
            }
        }
        EXPECT_EQ(part.pieces.back().language, p == 0 ? Language::English : Language::Russian);
    }
}

}  // namespace
