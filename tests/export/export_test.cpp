// The export library: where files may be cut, and that a stopped export leaves nothing.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "export/audioexport.h"
#include "reading/sentenceend.h"
#include "export/parallelsynthesis.h"
#include "export/pieceorder.h"
#include "speech/audiooutput.h"
#include "speech/driven/pcm.h"
#include "speech/espeakvoice.h"
#include "text/textcodec.h"
#include "support/freshfolder.h"

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
    return test::FreshFolder("export-" + name);
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
    AudioFileSet file(path, *FormatForSuffix("wav"), std::string(), false);
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
    AudioFileSet file(path, *FormatForSuffix("wav"), std::string(), false);
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

std::vector<std::int16_t> ReadSamples(const std::string& path) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) return {};
    std::vector<std::int16_t> samples(static_cast<std::size_t>(info.frames));
    samples.resize(static_cast<std::size_t>(sf_read_short(f, samples.data(), info.frames)));
    sf_close(f);
    return samples;
}

// The loudness of every half second: where speech and pauses fall.
std::vector<double> Envelope(const std::vector<std::int16_t>& samples) {
    constexpr std::size_t kWindow = 11025;
    std::vector<double> out;
    for (std::size_t i = 0; i + kWindow <= samples.size(); i += kWindow) {
        double sum = 0;
        for (std::size_t j = i; j < i + kWindow; ++j)
            sum += double(samples[j]) * samples[j];
        out.push_back(std::sqrt(sum / kWindow));
    }
    return out;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
    const std::size_t n = std::min(a.size(), b.size());
    double ma = 0, mb = 0;
    for (std::size_t i = 0; i < n; ++i) {
        ma += a[i] / n;
        mb += b[i] / n;
    }
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < n; ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return ab / std::sqrt(aa * bb);
}

// The second language read in a process of its own sounds as when one engine reads both: the
// same pieces in the same order and voices. The library carries state from one piece to the
// next (a piece's closing pause varies by a few hundredths of a second with what it made
// before), so the sound is compared by its length and its loudness over time, which pieces
// out of order, lost or in the wrong voice would change.
TEST(ExportAudio, secondProcessSoundsAsOneEngine) {
    DictionaryStore dicts;
    const std::string dir = FreshDir("second");
    std::vector<std::int16_t> sound[2];
    for (bool second : {false, true}) {
        ExportRequest request;
        request.text =
            u"Мама мыла раму. The quick brown fox jumps over the lazy dog. Сегодня хорошая "
            u"погода! Reading aloud helps learners hear words.\nЕщё одна строка. And one more "
            u"line.\n";
        request.voices[Language::English].mode = EspeakVoice::findSpeaker(u"Carol");
        request.secondProcess = second;
        request.path = dir + (second ? "/two.wav" : "/one.wav");
        std::atomic<bool> cancel{false};
        const ExportResult r = ExportAudio(request, dicts, nullptr, cancel);
        ASSERT_TRUE(r.ok) << r.error;
        sound[second] = ReadSamples(request.path);
    }
    const double one = double(sound[0].size()), two = double(sound[1].size());
    ASSERT_GT(one, 5 * 22050.0);  // both languages spoke
    EXPECT_NEAR(two / one, 1.0, 0.03);
    EXPECT_GT(Correlation(Envelope(sound[0]), Envelope(sound[1])), 0.8);
}

// Two engines finish pieces out of order: the files get them in the text's order, each piece's
// first samples marked, even when a later piece has more sound than may wait in memory (its
// engine then waits for its turn).
TEST(PieceOrder, piecesReachTheFilesInTheTextsOrder) {
    std::vector<std::pair<long, std::int16_t>> written;  // piece end, sample value
    std::vector<long> firsts, finished;
    PieceOrder order(
        [&](const PieceOrder::Piece& p, bool first, const std::int16_t* s, std::size_t n) {
            const long end = p.text.start + p.text.length;
            if (first) firsts.push_back(end);
            for (std::size_t i = 0; i < n; ++i)
                if (written.empty() || written.back().first != end ||
                    written.back().second != s[i])
                    written.push_back({end, s[i]});
        },
        [&](const PieceOrder::Piece& p, const std::vector<WordTime>&) {
            finished.push_back(p.text.start + p.text.length);
        });
    const auto ending = [](long end) {
        PieceOrder::Piece p;
        p.text = {0, end};
        return p;
    };
    const std::uint32_t a = order.add(ending(10)), b = order.add(ending(20)),
                        c = order.add(ending(30));
    const std::vector<std::int16_t> minute(22050 * 60, 2), little(100, 1), last(50, 3);
    std::thread second([&] {  // the second engine: pieces b, then nothing
        for (int i = 0; i < 3; ++i)
            order.write(b, minute.data(), minute.size());
        order.finish(b);
    });
    order.write(a, little.data(), little.size());
    order.finish(a);
    order.write(c, last.data(), last.size());
    second.join();
    order.finish(c);
    const std::vector<std::pair<long, std::int16_t>> expected{{10, 1}, {20, 2}, {30, 3}};
    EXPECT_EQ(written, expected);
    EXPECT_EQ(firsts, (std::vector<long>{10, 20, 30}));
    EXPECT_EQ(finished, (std::vector<long>{10, 20, 30}));
}

}  // namespace
