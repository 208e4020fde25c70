// vernalo-cli say --out: the reading written in each format, read back with libsndfile.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/soundfile.h"
#include "support/stretches.h"

namespace {

using namespace vernalo::test;
namespace fs = std::filesystem;

const char kText[] =
    "Привет, мир. Hello, world. This is how a text sounds when it is exported. "
    "Пока, друзья, до встречи. The end of the text comes here.";

const char* const kFormats[] = {"wav", "mp3", "opus", "ogg", "flac"};

TEST(CliExport, everyFormatDecodesToTheSameReading) {
    const std::string text = Write("export.txt", kText);
    double wavSeconds = 0;
    for (const char* suffix : kFormats) {
        const std::string out = TempPath(std::string("export.") + suffix);
        CliRun r = Cli("say --out " + out + " " + text);
        ASSERT_EQ(r.status, 0) << suffix << ": " << r.out;
        EXPECT_NE(r.out.find("reading 100%"), std::string::npos) << r.out;
        const Sound s = Decode(out);
        ASSERT_TRUE(s.valid) << out;
        if (wavSeconds == 0) wavSeconds = s.seconds();
        EXPECT_GT(s.seconds(), 4.0) << suffix;
        EXPECT_NEAR(s.seconds(), wavSeconds, 0.02 * wavSeconds) << suffix;
        EXPECT_GT(s.rms(), 0.02) << suffix << " is silent";
    }
}

// How far apart two loudness shapes are, compared over the shorter one.
double Distance(const std::vector<double>& a, const std::vector<double>& b) {
    double sum = 0;
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        sum += std::abs(a[i] - b[i]);
    return n ? sum / double(n) : 1e9;
}

TEST(CliExport, wordsFollowEachOtherWithTheirRepeats) {
    std::vector<Sound> words;
    for (const char* word : {"one", "two"}) {
        const std::string out = TempPath(std::string(word) + ".wav");
        ASSERT_EQ(Cli("say --mode word --out " + out + " " + Write("w.txt", word)).status, 0);
        words.push_back(Decode(out));
    }
    const std::string out = TempPath("one-two.flac");
    ASSERT_EQ(
        Cli("say --mode word --repeat-en 2 --out " + out + " " + Write("w.txt", "one two")).status,
        0);
    const Sound all = Decode(out);
    const std::size_t one = words[0].samples.size(), two = words[1].samples.size();
    ASSERT_NEAR(double(all.samples.size()), double(2 * one + 2 * two),
                0.02 * double(all.samples.size()));
    // Each stretch sounds like its own word, not the other: one, one, two, two.
    const std::size_t starts[] = {0, one, 2 * one, 2 * one + two};
    const int expected[] = {0, 0, 1, 1};
    for (int k = 0; k < 4; ++k) {
        const std::size_t len = expected[k] == 0 ? one : two;
        const auto shape = all.envelope(starts[k], std::min(starts[k] + len, all.samples.size()));
        const double own = Distance(shape, words[expected[k]].envelope(0, len));
        const double other = Distance(
            shape, words[1 - expected[k]].envelope(0, words[1 - expected[k]].samples.size()));
        EXPECT_LT(own, other) << "stretch " << k;
    }
}

TEST(CliExport, unwritableFolderGivesTheReasonAndNoFile) {
    const std::string text = Write("short.txt", "Hello.");
    const std::string dir = TempPath("read_only");
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read |
                             fs::perms::others_exec);
    // The superuser writes anywhere: the program then runs as nobody.
    const std::string as =
        ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const std::string cmd = as + VERNALO_CLI " say --out " + dir + "/out.mp3 " + text + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[512];
    while (std::size_t n = fread(buf, 1, sizeof buf, p))
        out.append(buf, n);
    EXPECT_NE(pclose(p), 0);
    EXPECT_NE(out.find("cannot write '" + dir + "/out.mp3': Permission denied"), std::string::npos)
        << out;
    EXPECT_TRUE(fs::is_empty(dir));
    for (const char* bad :
         {"--out a.txt -", "--split-minutes 5 -", "--out", "--out a.mp3 --split-minutes 0 -",
          "--pause-after 3 -", "--pause-after -", "--subtitles srt -",
          "--out a.mp3 --subtitles ass -", "--out b.epub --subtitles srt -",
          "--out b.epub --split-minutes 5 -"}) {
        CliRun r = Cli(std::string("say ") + bad);
        EXPECT_EQ(r.status, 2) << bad << ": " << r.out;
    }
}

// A full disk, made by a small memory file system where the test may mount one.
TEST(CliExport, fullDiskGivesTheReasonAndNoFile) {
    const std::string dir = TempPath("full");
    fs::create_directories(dir);
    if (std::system(("mount -t tmpfs -o size=128k tmpfs " + dir + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    struct Unmount {
        std::string dir;
        ~Unmount() { EXPECT_EQ(std::system(("umount " + dir).c_str()), 0); }
    } unmount{dir};
    std::string book;
    for (int i = 0; i < 100; ++i)
        book += "A sentence that fills the disk. ";
    const std::string text = Write("full.txt", book);
    for (const char* name : {"/out.mp3", "/out.flac"}) {
        CliRun r = Cli(std::string("say --out ") + dir + name + " " + text);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.out.find("cannot write '" + dir + name + "': No space left on device"),
                  std::string::npos)
            << r.out;
        EXPECT_TRUE(fs::is_empty(dir)) << name;
    }
}

// A listening-and-repeating track: after every repetition of every piece, a silence as long
// as the piece's sound (or twice), in word and in sentence mode.
TEST(CliExport, pauseAfterEachPieceIsSilenceInTheFile) {
    const struct {
        const char* options;
        int factor;
        std::size_t pieces;
    } cases[] = {
        {"--mode sentence --repeat-en 2 --pause-after 1", 1, 4},
        {"--mode sentence --pause-after 2", 2, 2},
        {"--mode word --pause-after 1", 1, 6},
    };
    const std::string text = Write("pause.txt", "Good morning to you. Thank you.");
    for (const auto& c : cases) {
        const std::string out = TempPath("pause.wav");
        const CliRun r = Cli(std::string("say ") + c.options + " --wav " + out + " " + text);
        ASSERT_EQ(r.status, 0) << c.options << ": " << r.out;
        const Sound sound = Decode(out);
        ASSERT_TRUE(sound.valid);
        // The words of a piece are closer than a quarter second; the pieces are further apart.
        const auto pieces =
            SoundStretches(sound.samples, 300.0 / 32768, static_cast<std::size_t>(sound.rate / 4));
        ASSERT_EQ(pieces.size(), c.pieces) << c.options;
        for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
            const double piece = double(pieces[i].second - pieces[i].first);
            const double silence = double(pieces[i + 1].first - pieces[i].second);
            EXPECT_NEAR(silence / piece, c.factor, 0.1 * c.factor)
                << c.options << ", piece " << i << ": " << piece / sound.rate << " s, then "
                << silence / sound.rate << " s of silence";
        }
    }
}

TEST(CliExport, splitFilesCutAtSentenceEndsAndAddUpToTheWhole) {
    // One sentence of a few seconds over and over, read word by word: a part could end after
    // any word, and a part cut at sentence ends holds a whole number of sentences.
    constexpr int kSentences = 40;
    std::string sentences = "Intro. ";
    for (int i = 0; i < kSentences; ++i)
        sentences += "This is a sentence of the book, and it says a little more than it needs to. ";
    const std::string text = Write("book.txt", sentences);
    const std::string whole = TempPath("book.wav"), intro = TempPath("intro.wav");
    ASSERT_EQ(Cli("say --mode word --out " + whole + " " + text).status, 0);
    ASSERT_EQ(Cli("say --mode word --out " + intro + " " + Write("intro.txt", "Intro.")).status, 0);
    const double total = Decode(whole).seconds(), lead = Decode(intro).seconds();
    const double sentence = (total - lead) / kSentences;
    ASSERT_GT(total, 150.0);

    const std::string dir = TempPath("split");
    fs::remove_all(dir);
    fs::create_directories(dir);
    CliRun r = Cli("say --mode word --split-minutes 1 --out " + dir + "/book.wav " + text);
    ASSERT_EQ(r.status, 0) << r.out;
    std::vector<double> lengths;
    for (int n = 1; fs::exists(dir + "/book-0" + std::to_string(n) + ".wav"); ++n)
        lengths.push_back(Decode(dir + "/book-0" + std::to_string(n) + ".wav").seconds());
    ASSERT_GE(lengths.size(), 3u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()),
              long(lengths.size()));
    double sum = 0;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        sum += lengths[i];
        const double held = (lengths[i] - (i == 0 ? lead : 0)) / sentence;
        EXPECT_NEAR(held, std::round(held), 0.02)
            << "part " << i + 1 << " of " << lengths[i] << " s";
        // Every part but the last runs to the first sentence end after its minute.
        if (i + 1 < lengths.size()) {
            EXPECT_GE(lengths[i], 60.0) << "part " << i + 1;
            EXPECT_LT(lengths[i], 60.0 + sentence) << "part " << i + 1;
        }
    }
    EXPECT_NEAR(sum, total, 0.01 * total);
}

// The chapter marks ffprobe reads in a file, a line each: "START_SECONDS,TITLE".
std::string ChapterLines(const std::string& path) {
    std::string out;
    FILE* p = popen(("ffprobe -v error -show_entries chapter=start_time:chapter_tags=title "
                     "-of csv=p=0 '" +
                     path + "' 2>/dev/null")
                        .c_str(),
                    "r");
    if (!p) return out;
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;)
        out.append(buf, n);
    pclose(p);
    return out;
}

// A book cut by its chapters: the text before the first chapter (the title page) and each
// chapter in a file of its own, tagged and numbered in the book's order, with a playlist.
TEST(CliExport, bookSplitByChaptersFollowsItsContents) {
    const std::string book = std::string(VERNALO_TEST_DATA) + "/books/book.epub";
    const std::string whole = TempPath("whole.flac");
    // The build without Qt has no book readers.
    if (Cli("convert " + book).status != 0) GTEST_SKIP() << "this build reads no EPUB";
    ASSERT_EQ(Cli("say --out " + whole + " " + book).status, 0);
    const double total = Decode(whole).seconds();
    const std::string dir = TempPath("chapters");
    fs::remove_all(dir);
    fs::create_directories(dir);
    CliRun r = Cli("say --split chapters --out " + dir + "/book.flac " + book);
    ASSERT_EQ(r.status, 0) << r.out;
    const struct {
        const char* file;
        const char* title;
    } kFiles[] = {{"01 - Весна в городе.flac", "Весна в городе"},
                  {"02 - Глава первая_ Spring.flac", "Глава первая: Spring"},
                  {"03 - Глава вторая_ Evening.flac", "Глава вторая: Evening"}};
    std::string playlist = "#EXTM3U\n";
    double sum = 0;
    for (std::size_t i = 0; i < std::size(kFiles); ++i) {
        const Sound s = Decode(dir + "/" + kFiles[i].file);
        ASSERT_TRUE(s.valid) << kFiles[i].file;
        EXPECT_GT(s.rms(), 0.02) << kFiles[i].file << " is silent";
        EXPECT_EQ(s.title, kFiles[i].title);
        EXPECT_EQ(s.album, "Весна в городе");
        EXPECT_EQ(s.track, std::to_string(i + 1));
        sum += s.seconds();
        playlist += "#EXTINF:" + std::to_string(std::lround(s.seconds())) + "," + kFiles[i].title +
                    "\n" + kFiles[i].file + "\n";
    }
    EXPECT_NEAR(sum, total, 0.01 * total);
    EXPECT_EQ(Read(dir + "/book.m3u"), playlist);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4);
    for (const char* bad :
         {"--split chapters -", "--split pages --out a.mp3 -",
          "--split chapters --split-minutes 3 --out a.mp3 -", "--chapters -",
          "--chapters --out a.wav -", "--chapters --split chapters --out a.mp3 -"})
        EXPECT_EQ(Cli(std::string("say ") + bad).status, 2) << bad;

    // The same chapters marked in one file, each where the chapter files before it end.
    const std::string marked = TempPath("marked.flac");
    ASSERT_EQ(Cli("say --chapters --out " + marked + " " + book).status, 0);
    const std::string probe = ChapterLines(marked);
    if (probe.empty()) GTEST_SKIP() << "no ffprobe to read the marks";
    std::istringstream lines(probe);
    double before = 0;
    for (std::size_t i = 0; i < std::size(kFiles); ++i) {
        std::string line;
        ASSERT_TRUE(std::getline(lines, line)) << probe;
        EXPECT_EQ(line.substr(line.find(',') + 1), kFiles[i].title);
        EXPECT_NEAR(std::stod(line), before, 0.15) << line;
        before += Decode(dir + "/" + kFiles[i].file).seconds();
    }
}

}  // namespace

namespace {

// The speaker of the installed Festival voice of a language, from `voices`, or empty.
std::string FestivalSpeaker(const std::string& language) {
    const CliRun r = Cli("voices");
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line))
        if (line.find("\t" + language + " (Festival: ") != std::string::npos) {
            const auto from = line.find('\t', line.find('\t') + 1) + 1;
            return line.substr(from, line.find('\t', from) - from);
        }
    return {};
}

}  // namespace

TEST(CliExport, festivalVoicesWriteTheExportThemselves) {
    const std::string ru = FestivalSpeaker("Russian"), en = FestivalSpeaker("English");
    if (ru.empty() || en.empty())
        GTEST_SKIP() << "Festival's Russian and English voices are not installed";
    const std::string text = Write("festival.txt", kText);
    const std::string voices = " --voice-ru '" + ru + "' --voice-en '" + en + "' ";
    const std::string mp3 = TempPath("festival.mp3"), wav = TempPath("festival.wav");
    CliRun r = Cli("say" + voices + "--out " + mp3 + " " + text);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("cannot write files"), std::string::npos) << r.out;
    const Sound exported = Decode(mp3);
    ASSERT_TRUE(exported.valid) << mp3;
    EXPECT_GT(exported.rms(), 0.02) << "the export is silent";
    // The reading heard through the voices' output: the export holds the same speech, and
    // the silence Festival puts before each of the five pieces (a quarter of a second), which
    // the reading leaves out to sound sooner.
    r = Cli("say" + voices + "--wav " + wav + " " + text);
    ASSERT_EQ(r.status, 0) << r.out;
    const Sound heard = Decode(wav);
    ASSERT_TRUE(heard.valid) << wav;
    EXPECT_GT(heard.seconds(), 5.0);
    EXPECT_GE(exported.seconds(), heard.seconds());
    EXPECT_NEAR(exported.seconds(), heard.seconds(), 0.05 * heard.seconds() + 5 * 0.3);
    // The built-in voices read the same text much faster than Festival's voices do.
    const std::string builtIn = TempPath("builtin.wav");
    ASSERT_EQ(Cli("say --out " + builtIn + " " + text).status, 0);
    EXPECT_GT(std::abs(Decode(builtIn).seconds() - exported.seconds()), 0.3)
        << "the built-in voices seem to have read instead";
}

TEST(CliSpeak, festivalVoiceSpeaksByItsSpeakerName) {
    const std::string ru = FestivalSpeaker("Russian");
    if (ru.empty()) GTEST_SKIP() << "Festival's Russian voice is not installed";
    EXPECT_NE(Cli("voices").out.find("\tFestival\t50-250\t100\tfestival\twrites files\n"),
              std::string::npos);
    const std::string wav = TempPath("festival-speak.wav");
    CliRun r = Cli("speak --voice '" + ru + "' --wav " + wav + " 'Привет, как у вас дела?'");
    ASSERT_EQ(r.status, 0) << r.out;
    const Sound s = Decode(wav);
    ASSERT_TRUE(s.valid) << r.out;
    EXPECT_GT(s.seconds(), 1.0);
    EXPECT_GT(s.rms(), 0.02);
}

// A user's own engine declared in the data folder's voices file (under HOME, as the test's
// working folder has no data folder).
TEST(CliVoices, ownCommandFromTheVoicesFileListsSpeaksAndNamesBadLines) {
    const std::string home = TempPath("home");
    fs::create_directories(home + "/.local/share/vernalo");
    const std::string file = home + "/.local/share/vernalo/voices.ini";
    std::ofstream(file) << "[My espeak]\nlanguage = en\ncommand = espeak-ng --stdout -v en\n"
                        << "speed-option = -s\nnormal-speed = 175\n"
                        << "[Broken]\nlanguage = en\ncommand\n";
    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", home.c_str(), 1);
    const CliRun voices = Cli("voices");
    const std::string text = Write("own.txt", "This is my own engine, reading a sentence.");
    double seconds[2] = {};
    int i = 0;
    for (const char* speed : {"100", "200"}) {
        const std::string out = TempPath(std::string("own-") + speed + ".flac");
        const CliRun r = Cli("say --voice-en 'My espeak' --speed-en " + std::string(speed) +
                             " --out " + out + " " + text);
        EXPECT_EQ(r.status, 0) << r.out;
        seconds[i++] = Decode(out).seconds();
    }
    setenv("HOME", oldHome.c_str(), 1);
    EXPECT_NE(
        voices.out.find(
            "\tEnglish (My espeak)\tMy espeak\tMy espeak\t50-250\t100\tcommand\twrites files\n"),
        std::string::npos)
        << voices.out;
    EXPECT_EQ(voices.out.find("Broken\t"), std::string::npos) << voices.out;
    EXPECT_NE(voices.out.find(file + ":8: expected key = value"), std::string::npos) << voices.out;
    EXPECT_GT(seconds[0], 1.0);
    EXPECT_LT(seconds[1], seconds[0] * 0.7) << "the speed did not reach the command";
}
