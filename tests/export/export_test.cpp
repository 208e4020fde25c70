// The export library: where files may be cut, and that a stopped export leaves nothing.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "export/audioexport.h"
#include "export/parallelsynthesis.h"
#include "speech/audiooutput.h"
#include "speech/driven/pcm.h"
#include "text/textcodec.h"

namespace {

using namespace vernalo;
namespace fs = std::filesystem;

TEST(EndsSentence, onlyBetweenSentences) {
    const struct {
        const char16_t* text;
        long position;
        bool ends;
    } cases[] = {
        {u"One. Two", 5, true},          // after the blank
        {u"One. Two", 3, true},          // before the stop: the same gap
        {u"One two", 4, false},          // between words
        {u"Pi is 3.14 here", 8, false},  // a decimal point is no stop
        {u"Да! Нет", 4, true},
        {u"Что? «Так»", 5, true},   // quotes between
        {u"Title\nText", 6, true},  // a line break ends a paragraph
        {u"Wait\u2026 more", 6, true},
        {u"e.g.", 2, false},
        {u"Start", 0, true},  // the ends of the text
    };
    for (const auto& c : cases)
        EXPECT_EQ(EndsSentence(c.text, c.position), c.ends)
            << fs::path(std::u16string(c.text)).string() << " at " << c.position;
}

std::string FreshDir(const std::string& name) {
    const fs::path dir = fs::path(testing::TempDir()) / ("vernalo-export-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

TEST(ExportAudio, stoppedOrRefusedLeavesTheFolderEmpty) {
    DictionaryStore dicts;
    for (const char* name : {"cancel.mp3", "cancel.opus", "split.flac", "bad.xyz"}) {
        const std::string dir = FreshDir(name);
        ExportRequest request;
        request.text = u"Hello there. This is a longer text. It goes on for a while. The end.";
        request.path = dir + "/" + name;
        request.splitMinutes = std::string(name).starts_with("split") ? 0.01 : 0;
        std::atomic<bool> cancel{false};
        double seen = 0;
        // Cancelled once half of the text is done, with a part already finished when split.
        const ExportResult r = ExportAudio(
            request, dicts,
            [&](double share) {
                seen = share;
                if (share > 0.5) cancel = true;
            },
            cancel);
        EXPECT_FALSE(r.ok) << name;
        EXPECT_TRUE(fs::is_empty(dir)) << name;
        if (std::string(name) == "bad.xyz") {
            EXPECT_NE(r.error.find(request.path), std::string::npos) << r.error;
        } else {
            EXPECT_TRUE(r.cancelled) << name;
            EXPECT_GT(seen, 0.5) << name;
        }
    }
}

// Pieces of two voices made on two threads come back in the order they were added, each with
// the sound its own text makes alone.
TEST(ParallelSynthesis, piecesOfTwoVoicesComeBackInOrderWithTheirOwnSound) {
    if (FindProgram("espeak-ng").empty()) GTEST_SKIP() << "espeak-ng is not installed";
    const std::string file = FreshDir("parallel") + "/voices.ini";
    std::ofstream(file) << "[One]\nlanguage = en\ncommand = espeak-ng --stdout -v en\n"
                        << "[Two]\nlanguage = ru\ncommand = espeak-ng --stdout -v ru\n";
    std::vector<std::string> problems;
    const std::vector<DrivenMode> modes = CommandModes(file, &problems);
    ASSERT_EQ(modes.size(), 2u);
    const std::u16string texts[] = {
        u"One.", u"Первая длинная фраза для проверки порядка.", u"Two, three, four, five.",
        u"Два.", u"A longer sentence that takes a while.",      u"Три, четыре."};
    ParallelSynthesis parallel(2);
    for (long i = 0; i < 6; ++i)
        parallel.add(modes[static_cast<std::size_t>(i % 2)], 100, texts[i], i);
    for (long i = 0; i < 6; ++i) {
        ParallelSynthesis::Done done;
        ASSERT_TRUE(parallel.takeReady(&done, std::chrono::seconds(60))) << i;
        EXPECT_EQ(done.tag, i);
        EXPECT_TRUE(done.error.empty()) << done.error;
        auto engine = modes[static_cast<std::size_t>(i % 2)].make();
        Pcm alone;
        std::string error;
        ASSERT_TRUE(engine->synthesize(Utf16ToUtf8(texts[i]), 100, &alone, &error,
                                       std::chrono::steady_clock::now() + std::chrono::seconds(60)))
            << error;
        EXPECT_EQ(done.samples.size(), Resampled(alone, kSampleRate).size()) << i;
    }
    EXPECT_EQ(parallel.outstanding(), 0u);
}

// A driven voice hands over a whole sentence at once, often longer than the encoder's queue:
// such writes one after another all reach the file.
TEST(AudioFileSet, sentencesLongerThanTheQueueWrittenAtOnceAllReachTheFile) {
    const std::string path = FreshDir("long") + "/long.wav";
    AudioFileSet file(path, AudioFormat::Wav, std::string(), false);
    std::string error;
    ASSERT_TRUE(file.open(&error)) << error;
    const std::vector<std::int16_t> sentence(std::size_t(kSampleRate) * 12, 1000);
    std::atomic<bool> written{false};
    std::thread writer([&] {
        for (int i = 0; i < 3; ++i)
            file.write(sentence.data(), sentence.size());
        written = true;
    });
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!written && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!written) file.abort();  // frees the writer
    writer.join();
    ASSERT_TRUE(written) << "the writer waited for ever";
    ASSERT_TRUE(file.finish(&error)) << error;
    EXPECT_EQ(fs::file_size(path), 44 + sentence.size() * 3 * 2);
}

// vernalo-cli's --wav files are written here: an untitled WAV file is exactly the plain
// 44-byte header and the samples, as the command's own writer made them before.
TEST(AudioFileSet, untitledWavIsThePlainHeaderAndTheSamples) {
    const std::string path = FreshDir("plain") + "/plain.wav";
    AudioFileSet file(path, AudioFormat::Wav, std::string(), false);
    std::string error;
    ASSERT_TRUE(file.open(&error)) << error;
    const std::int16_t samples[] = {1, -2, 300};
    file.write(samples, 3);
    ASSERT_TRUE(file.finish(&error)) << error;
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string header(
        "RIFF\x2a\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x22\x56\0\0"
        "\x44\xac\0\0\x02\0\x10\0data\x06\0\0\0",
        44);
    EXPECT_EQ(bytes.substr(0, 44), header);
    EXPECT_EQ(bytes.substr(44), std::string("\x01\x00\xfe\xff\x2c\x01", 6));
}

}  // namespace
