// Chapter marks and covers as other programs read them back: every format that holds marks
// writes them where the sound of each chapter begins when the file is decoded, with its title,
// and the cover and year beside them; read by ffprobe and by mutagen (readback.py). Skipped
// where those are not installed.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "export/audiofile.h"
#include "export/formats/audioformat.h"
#include "support/freshfolder.h"

namespace {

using namespace vernalo;
namespace fs = std::filesystem;

struct Mark {
    double seconds;
    std::string title;
};

struct Readback {
    std::vector<Mark> chapters[2];  // ffprobe's, mutagen's
    int covers[2] = {0, 0};
    std::string date;
    std::string skipped;  // why it could not be read back
};

std::string Run(const std::string& command, int* status) {
    std::string out;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    const int raw = ::pclose(pipe);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

Readback ReadBack(const std::string& path) {
    Readback r;
    int status = 0;
    const std::string out = Run("/usr/bin/python3 '" VERNALO_READBACK "' '" + path + "'", &status);
    if (status == 77) r.skipped = out;
    EXPECT_TRUE(status == 0 || status == 77) << "readback.py failed on " << path;
    if (status != 0) return r;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string x; std::getline(fields, x, '\t');)
            f.push_back(x);
        const int reader = f[0] == "ffprobe" ? 0 : 1;
        if (f[1] == "chapter")
            r.chapters[reader].push_back({std::stod(f[2]), f.size() > 3 ? f[3] : ""});
        if (f[1] == "cover") r.covers[reader] = std::stoi(f[2]);
        if (f[1] == "date") r.date = f[2];
    }
    return r;
}

// The file decoded as players hear it, at the engine's rate.
std::vector<std::int16_t> Decoded(const std::string& path) {
    int status = 0;
    const std::string bytes = Run("ffmpeg -v error -i '" + path + "' -f s16le -ac 1 -ar " +
                                      std::to_string(kSampleRate) + " - 2>/dev/null",
                                  &status);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// Where the first loud sample at or after `from` seconds is, in seconds.
double OnsetAfter(const std::vector<std::int16_t>& s, double from) {
    for (auto i = static_cast<std::size_t>(std::max(0.0, from) * kSampleRate); i < s.size(); ++i)
        if (std::abs(s[i]) > 3000) return double(i) / kSampleRate;
    return -1;
}

// A 1x1 PNG.
const std::string kPng(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52"
    "\x00\x00\x00\x01\x00\x00\x00\x01\x08\x02\x00\x00\x00\x90\x77\x53"
    "\xDE\x00\x00\x00\x0C\x49\x44\x41\x54\x78\x9C\x63\xF8\xCF\xC0\x00"
    "\x00\x03\x01\x01\x00\xC9\xFE\x92\xEF\x00\x00\x00\x00\x49\x45\x4E"
    "\x44\xAE\x42\x60\x82",
    69);

// Writes silence with a tone starting at each mark, the chapter marked there.
std::string WriteMarked(const AudioFormat& format, const std::string& dir,
                        const std::vector<Mark>& marks, double seconds, bool cover) {
    const std::string path = dir + "/book." + format.suffixes.front();
    AudioFileSet files(path, format, "Книга", false);
    AudioTags tags;
    tags.album = "Книга";
    tags.year = "1869";
    tags.language = "ru";
    if (cover) tags.cover = kPng, tags.coverType = "image/png";
    tags.chapterMarks = true;
    files.setTags(tags);
    std::string error;
    EXPECT_TRUE(files.open(&error)) << error;
    const auto total = static_cast<std::size_t>(seconds * kSampleRate);
    std::vector<std::int16_t> sound(total, 0);
    for (const Mark& m : marks)
        for (std::size_t i = 0; i < kSampleRate / 20; ++i)
            sound[static_cast<std::size_t>(m.seconds * kSampleRate) + i] =
                static_cast<std::int16_t>(12000 * std::sin(double(i) * 0.3));
    std::size_t written = 0;
    for (const Mark& m : marks) {
        const auto at = static_cast<std::size_t>(m.seconds * kSampleRate);
        files.write(sound.data() + written, at - written);
        files.markChapter(m.title, 0);
        written = at;
    }
    files.write(sound.data() + written, total - written);
    EXPECT_TRUE(files.finish(&error)) << error;
    return path;
}

std::string FreshDir(const std::string& name) {
    return test::FreshFolder("marks-" + name);
}

// Each format with marks, both readers: the marks' titles, each within 20 ms of where its
// chapter's sound begins in the decoded file; the cover and the year.
TEST(ChapterMarks, bothReadersFindThemWhereEachChapterSounds) {
    const std::vector<Mark> marks = {{0.0, "Пролог"}, {1.3, "Глава вторая"}, {2.9, "Three: end"}};
    for (const AudioFormat* format : AudioFormats()) {
        if (!format->chapters) continue;
        SCOPED_TRACE(format->name);
        const std::string path =
            WriteMarked(*format, FreshDir(format->suffixes.front()), marks, 4.0, format->cover);
        const Readback r = ReadBack(path);
        if (!r.skipped.empty()) GTEST_SKIP() << r.skipped;
        const std::vector<std::int16_t> sound = Decoded(path);
        for (int reader = 0; reader < 2; ++reader) {
            ASSERT_EQ(r.chapters[reader].size(), marks.size()) << "reader " << reader;
            for (std::size_t i = 0; i < marks.size(); ++i) {
                const Mark& m = r.chapters[reader][i];
                EXPECT_EQ(m.title, marks[i].title);
                EXPECT_NEAR(m.seconds, OnsetAfter(sound, marks[i].seconds - 0.2), 0.02)
                    << "reader " << reader << ", chapter " << i;
            }
            EXPECT_EQ(r.covers[reader], format->cover ? 1 : 0) << "reader " << reader;
        }
        EXPECT_EQ(r.date, "1869");
    }
}

// An M4B keeps every chapter of a long book in its chapter track; the Nero list holds the
// first 255, as many as its count can say.
TEST(ChapterMarks, m4bKeepsThreeHundredChapters) {
    const AudioFormat* m4b = FormatForSuffix("m4b");
    ASSERT_NE(m4b, nullptr);
    std::vector<Mark> marks;
    for (int i = 0; i < 300; ++i)
        marks.push_back({i * 0.1, "Глава " + std::to_string(i + 1)});
    const Readback r = ReadBack(WriteMarked(*m4b, FreshDir("300"), marks, 30.2, false));
    if (!r.skipped.empty()) GTEST_SKIP() << r.skipped;
    ASSERT_EQ(r.chapters[0].size(), 300u);
    for (std::size_t i = 0; i < marks.size(); ++i) {
        EXPECT_EQ(r.chapters[0][i].title, marks[i].title);
        EXPECT_NEAR(r.chapters[0][i].seconds, marks[i].seconds, 0.02) << i;
    }
    EXPECT_EQ(r.chapters[1].size(), 255u);
}

}  // namespace
