// vernalo-cli say --out book.epub: each overlay clip starts where its sentence's sound starts
// in the chapter's MP3 file, found in the decoded file by its silences.

#include <gtest/gtest.h>
#include <zip.h>

#include <regex>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/soundfile.h"
#include "support/stretches.h"

namespace {

using namespace vernalo::test;

std::string Entry(zip_t* zip, const char* name) {
    zip_stat_t st;
    if (zip_stat(zip, name, 0, &st) != 0) return {};
    std::string bytes(st.size, '\0');
    zip_file_t* f = zip_fopen(zip, name, 0);
    if (!f) return {};
    const auto n = zip_fread(f, bytes.data(), bytes.size());
    zip_fclose(f);
    return n == static_cast<zip_int64_t>(bytes.size()) ? bytes : std::string();
}

TEST(CliReadAlong, overlayClipsStartWithTheSoundOfTheirSentences) {
    const std::string text = Write("readalong.txt",
                                   "Доброе утро. Good morning to you. Как дела? Thank you.\n\n"
                                   "Хорошо, спасибо. The end & more.");
    const std::string book = TempPath("readalong.epub");
    const CliRun r = Cli("say --repeat-en 2 --pause-after 1 --out " + book + " " + text);
    ASSERT_EQ(r.status, 0) << r.out;
    int error = 0;
    zip_t* zip = zip_open(book.c_str(), ZIP_RDONLY, &error);
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(Entry(zip, "mimetype"), "application/epub+zip");
    const std::string smil = Entry(zip, "OEBPS/c01.smil");
    const std::string mp3 = Write("readalong.mp3", Entry(zip, "OEBPS/audio/c01.mp3"));
    zip_close(zip);
    const Sound sound = Decode(mp3);
    ASSERT_TRUE(sound.valid);
    const auto pieces =
        SoundStretches(sound.samples, 300.0 / 32768, static_cast<std::size_t>(sound.rate / 4));
    std::vector<double> clips;
    const std::regex clip(R"re(clipBegin="(\d+\.\d+)s")re");
    for (std::sregex_iterator m(smil.begin(), smil.end(), clip), end; m != end; ++m)
        clips.push_back(std::stod((*m)[1].str()));
    // Every repetition is a clip of its own: the English sentences are heard twice.
    ASSERT_EQ(pieces.size(), 9u);
    ASSERT_EQ(clips.size(), pieces.size()) << smil;
    for (std::size_t i = 0; i < clips.size(); ++i)
        EXPECT_NEAR(clips[i], double(pieces[i].first) / sound.rate, 0.030) << "clip " << i + 1;
}

}  // namespace
