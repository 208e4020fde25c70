#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>

#include <csignal>
#include <cstdlib>
#include <fstream>

#include "settings/colors.h"
#include "settings/inifile.h"
#include "settings/settings.h"
#include "support/casename.h"
#include "text/fileio.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

std::string Text(const IniFile& ini) {
    return ini.toBytes();
}

TEST(IniFile, fileWrittenFromNothingHasTheProgramsOrder) {
    IniFile ini;
    ReaderSettings s;
    // The window writes the editor's font, the desktop's for a new user.
    s.fontName = u"DejaVu Sans";
    s.fontSize = 10;
    s.urls = {u"http://a/", u"file:///b.html"};
    WriteSettings(ini, s);
    EXPECT_EQ(Text(ini),
              "[Speech]\r\nRUSSIAN=Nicolai\r\nENGLISH=Carol\r\nSPEEDRU=100\r\nSPEEDEN=100\r\n"
              "[Interface]\r\nFontName=DejaVu Sans\r\nFontSize=10\r\nFontColor=clWindowText\r\n"
              "MarkWord=1\r\n"
              "[Text]\r\nPosition=0\r\nPosX=0\r\nPosY=0\r\n"
              "[URL]\r\n0=http://a/\r\n1=file:///b.html\r\n");
}

TEST(IniFile, existingKeysKeepTheirPlaceAndNewOnesGoToTheirSectionsEnd) {
    IniFile ini = IniFile::fromBytes(
        "; kept\r\n[text]\r\nposy=7\r\n\r\n[URL]\r\n4=old four\r\n3=old three\r\n[Other]\r\nx = "
        "1\r\n");
    ReaderSettings s;
    s.fontName = u"MS Sans Serif";
    s.fontSize = 8;
    s.urls = {u"u0", u"u1", u"u2"};
    s.posY = 2;
    WriteSettings(ini, s);
    EXPECT_EQ(Text(ini),
              "; kept\r\n[text]\r\nPosY=2\r\nPosition=0\r\nPosX=0\r\n\r\n"
              "[URL]\r\n4=old four\r\n3=old three\r\n0=u0\r\n1=u1\r\n2=u2\r\n"
              "[Other]\r\nx = 1\r\n"
              "[Speech]\r\nRUSSIAN=Nicolai\r\nENGLISH=Carol\r\nSPEEDRU=100\r\nSPEEDEN=100\r\n"
              "[Interface]\r\nFontName=MS Sans Serif\r\nFontSize=8\r\nFontColor=clWindowText\r\n"
              "MarkWord=1\r\n");
    EXPECT_EQ(ini.read(u"other", u"X", u"?"),
              u"1");  // blanks around names and values are not theirs
}

// "Read what I copy" is off unless the file says otherwise; off is written only over a key the
// file already has, so the files of those who never turned it on keep their lines.
TEST(IniFile, readCopiedIsWrittenOnceItWasOn) {
    struct Case {
        const char* before;
        bool on;
        const char* key;  // the key's line afterwards; empty: none
    } const cases[] = {
        {"", false, ""},
        {"", true, "ReadCopied=1"},
        {"[Interface]\r\nReadCopied=1\r\n", false, "ReadCopied=0"},
    };
    for (const Case& c : cases) {
        IniFile ini = IniFile::fromBytes(c.before);
        EXPECT_EQ(ReadSettings(ini).readCopied,
                  std::string(c.before).find("=1") != std::string::npos)
            << c.before;
        ReaderSettings s;
        s.readCopied = c.on;
        WriteSettings(ini, s);
        const std::string text = Text(ini);
        if (*c.key)
            EXPECT_NE(text.find(c.key), std::string::npos) << c.before << " on=" << c.on;
        else
            EXPECT_EQ(text.find("ReadCopied"), std::string::npos);
        EXPECT_EQ(ReadSettings(IniFile::fromBytes(text)).readCopied, c.on);
    }
}

// The Contents panel's key appears once the panel was shown, and then follows it.
TEST(IniFile, contentsPanelKeyIsWrittenOnceShown) {
    IniFile ini;
    ReaderSettings s;
    WriteSettings(ini, s);
    EXPECT_EQ(Text(ini).find("ShowContents"), std::string::npos);
    for (const bool shown : {true, false}) {
        s.showContents = shown;
        WriteSettings(ini, s);
        EXPECT_EQ(ini.read(u"Interface", u"ShowContents", u""), shown ? u"1" : u"0");
        EXPECT_EQ(ReadSettings(ini).showContents, shown);
    }
}

TEST(IniFile, readsCaseInsensitivelyAndCutsLongValues) {
    IniFile ini = IniFile::fromBytes("[SPEECH]\nrussian=Ирина\nLong=" + std::string(3000, 'x') +
                                     "\n[Speech]\nENGLISH=ignored\n");
    EXPECT_EQ(ini.read(u"speech", u"RUSSIAN", u"Nicolai"), u"Ирина");
    EXPECT_EQ(ini.read(u"Speech", u"ENGLISH", u"Carol"),
              u"Carol");  // only the first section counts
    EXPECT_EQ(ini.read(u"speech", u"long", u"").size(), IniFile::kMaxValue);
}

TEST(IniFile, encodingFollowsTheValues) {
    IniFile ini;
    ini.write(u"Speech", u"RUSSIAN", u"Николай");
    EXPECT_EQ(Text(ini), "[Speech]\r\nRUSSIAN=\xCD\xE8\xEA\xEE\xEB\xE0\xE9\r\n");  // Windows-1251
    ini.write(u"URL", u"0", u"file:///home/u/日本.html");
    std::string bytes = Text(ini);
    EXPECT_EQ(DetectEncoding(bytes), TextEncoding::Utf8);
    IniFile back = IniFile::fromBytes(bytes);
    EXPECT_EQ(back.read(u"Speech", u"RUSSIAN", u""), u"Николай");
    EXPECT_EQ(back.read(u"URL", u"0", u""), u"file:///home/u/日本.html");
}

// A value is one line: a line break in it (an address pasted with one) would otherwise end
// the entry and let the rest of the value become entries and sections of its own.
struct BreakCase {
    const char* name;
    const char16_t* lineBreak;
};

void PrintTo(const BreakCase& c, std::ostream* os) {
    *os << c.name;
}

class LineBreakInValue : public testing::TestWithParam<BreakCase> {};

TEST_P(LineBreakInValue, staysInsideItsEntry) {
    const std::u16string brk = GetParam().lineBreak;
    IniFile ini;
    ini.write(u"Interface", u"FontSize", u"8");
    ini.write(u"URL", u"0", u"http://a" + brk + u"[Interface]" + brk + u"FontSize=99");
    IniFile back = IniFile::fromBytes(Text(ini));
    EXPECT_EQ(back.read(u"Interface", u"FontSize", u""), u"8");
    const std::u16string url = back.read(u"URL", u"0", u"");
    EXPECT_EQ(url.rfind(u"http://a", 0), 0u);
    EXPECT_NE(url.find(u"FontSize=99"), std::u16string::npos);
    EXPECT_EQ(ReadSettings(back).urls.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(IniFile, LineBreakInValue,
                         testing::Values(BreakCase{"lf", u"\n"}, BreakCase{"crLf", u"\r\n"},
                                         BreakCase{"cr", u"\r"}),
                         test::CaseName);

// A file is written in a form that reads back as the same text: the fuzzer found values that
// came back changed ("Р°" written as Windows-1251 D0 B0 was read as UTF-8 "а").
struct ValueCase {
    const char* name;
    const char16_t* value;
    TextEncoding written;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << c.name;
}

class ValueWrittenAndRead : public testing::TestWithParam<ValueCase> {};

TEST_P(ValueWrittenAndRead, comesBackUnchanged) {
    const ValueCase& c = GetParam();
    IniFile ini;
    ini.write(u"URL", u"0", c.value);
    const std::string bytes = Text(ini);
    EXPECT_EQ(DetectEncoding(bytes), c.written);
    EXPECT_EQ(IniFile::fromBytes(bytes).read(u"URL", u"0", u"?"), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    IniFile, ValueWrittenAndRead,
    testing::Values(ValueCase{"russian", u"Ирина", TextEncoding::Cp1251},
                    ValueCase{"windows1251BytesThatAreUtf8", u"Р°", TextEncoding::Utf8Bom},
                    ValueCase{"longerWindows1251ThatIsUtf8", u"РџСЂРёРІРµС‚",
                              TextEncoding::Utf8Bom},
                    ValueCase{"markAtValueStart", u"\uFEFFx", TextEncoding::Utf8},
                    ValueCase{"onlyAMark", u"\uFEFF", TextEncoding::Utf8},
                    ValueCase{"outsideWindows1251", u"日本", TextEncoding::Utf8}),
    test::CaseName);

// The first line of the file is where a byte-order mark is looked for.
struct FirstLineCase {
    const char* name;
    const char16_t* line;
    TextEncoding written;
};

void PrintTo(const FirstLineCase& c, std::ostream* os) {
    *os << c.name;
}

class FirstLineWrittenAndRead : public testing::TestWithParam<FirstLineCase> {};

TEST_P(FirstLineWrittenAndRead, comesBackUnchanged) {
    const FirstLineCase& c = GetParam();
    const std::u16string line = c.line;
    IniFile ini = IniFile::fromBytes("\xEF\xBB\xBF" + Utf16ToUtf8(line) + "\r\n[S]\r\nk=v\r\n");
    ini.write(u"S", u"k", u"w");
    const std::string bytes = Text(ini);
    EXPECT_EQ(DetectEncoding(bytes), c.written);
    EXPECT_EQ(DecodeTextFile(bytes).text, line + u"\n[S]\nk=w\n");
}

INSTANTIATE_TEST_SUITE_P(
    IniFile, FirstLineWrittenAndRead,
    testing::Values(FirstLineCase{"plain", u"; заметка", TextEncoding::Cp1251},
                    FirstLineCase{"mark", u"\uFEFF; note", TextEncoding::Utf8Bom},
                    FirstLineCase{"twoMarks", u"\uFEFF\uFEFF", TextEncoding::Utf8Bom},
                    FirstLineCase{"windows1251LikeUtf8Mark", u"п»ї; note", TextEncoding::Utf8Bom},
                    FirstLineCase{"windows1251LikeUtf16Mark", u"яю; note", TextEncoding::Utf8Bom},
                    FirstLineCase{"windows1251LikeUtf16BigEndianMark", u"юя; note",
                                  TextEncoding::Utf8Bom}),
    test::CaseName);

TEST(IniFile, loneSurrogateFromAUtf16FileIsKept) {
    const std::u16string text = u"[S]\r\nk=\xD800x\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t u : text) {
        bytes.push_back(static_cast<char>(u & 0xFF));
        bytes.push_back(static_cast<char>(u >> 8));
    }
    IniFile back = IniFile::fromBytes(Text(IniFile::fromBytes(bytes)));
    EXPECT_EQ(back.read(u"S", u"k", u""), u"\xD800x");
}

TEST(Settings, noFileGivesTheDefaults) {
    std::vector<std::string> bad;
    ReaderSettings s = ReadSettings(IniFile(), &bad);
    EXPECT_TRUE(bad.empty());
    EXPECT_EQ(s.voice[Language::Russian], u"Nicolai");
    EXPECT_EQ(s.voice[Language::English], u"Carol");
    EXPECT_EQ(s.speed[Language::Russian], u"100");
    // The window takes these for the desktop's font and its size.
    EXPECT_TRUE(s.fontName.empty());
    EXPECT_EQ(s.fontSize, 0);
    EXPECT_EQ(s.fontColor, kWindowTextColor);
    EXPECT_TRUE(s.markWord);
    EXPECT_EQ(s.position, 0);
    EXPECT_TRUE(s.urls.empty());
}

TEST(Settings, aBadValueTakesItsDefaultAndSpoilsNothingElse) {
    std::vector<std::string> bad;
    ReaderSettings s = ReadSettings(
        IniFile::fromBytes(
            "[Interface]\nFontSize=big\nFontColor=clred\nMarkWord=yes\nPauseAfter=3\n[Text]\n"
            "PosX=$10\n"
            "Position=12x\nPosY=3\n"),
        &bad);
    EXPECT_EQ(bad, (std::vector<std::string>{"FontSize", "MarkWord", "PauseAfter", "Position"}));
    EXPECT_EQ(s.pauseAfter, 0);
    EXPECT_TRUE(s.markWord);
    EXPECT_EQ(s.fontSize, 0);  // the desktop font's size
    EXPECT_EQ(s.fontColor, Rgb(255, 0, 0));
    EXPECT_EQ(s.posX, 16);
    EXPECT_EQ(s.posY, 3);
    EXPECT_EQ(s.position, 0);
}

TEST(Settings, wordMarkingOffIsReadBack) {
    IniFile ini;
    ReaderSettings s;
    s.markWord = false;
    WriteSettings(ini, s);
    EXPECT_EQ(ini.read(u"Interface", u"MarkWord", u""), u"0");
    EXPECT_FALSE(ReadSettings(ini).markWord);
}

TEST(Settings, pauseAfterIsWrittenOnceSetAndReadBack) {
    IniFile ini;
    ReaderSettings s;
    for (int pause : {0, 2, 0}) {
        s.pauseAfter = pause;
        WriteSettings(ini, s);
        EXPECT_EQ(ReadSettings(ini).pauseAfter, pause);
    }
    // Set once, the key stays to say it is off again.
    EXPECT_EQ(ini.read(u"Interface", u"PauseAfter", u""), u"0");
    IniFile fresh;
    WriteSettings(fresh, ReaderSettings());
    EXPECT_EQ(fresh.read(u"Interface", u"PauseAfter", u"none"), u"none");
}

TEST(Settings, urlKeysZeroOneThree) {
    ReaderSettings s = ReadSettings(IniFile::fromBytes("[URL]\n0=a\n1=b\n3=d\n10=eleventh\n"));
    EXPECT_EQ(s.urls, (std::vector<std::u16string>{u"a", u"b", u"d"}));
    EXPECT_EQ(s.urlEditText, u"");
    s = ReadSettings(IniFile::fromBytes("[URL]\n0=a\n1=b\n"));
    EXPECT_EQ(s.urlEditText, u"b");
}

TEST(Settings, eleventhUrlIsWrittenButNotReadBack) {
    IniFile ini;
    ReaderSettings s;
    for (int i = 0; i < 11; ++i)
        s.urls.push_back(u"u" + std::u16string(1, u'a' + i));
    WriteSettings(ini, s);
    EXPECT_EQ(ini.read(u"URL", u"10", u""), u"uk");
    EXPECT_EQ(ReadSettings(ini).urls.size(), 10u);
}

struct ColorCase {
    const char16_t* text;
    ColorCode value;
    const char16_t* written;
};

TEST(Colors, readAndWrittenByNameOrDollarHex) {
    const ColorCase cases[] = {
        {u"clRed", Rgb(255, 0, 0), u"clRed"},
        {u"CLRED", Rgb(255, 0, 0), u"clRed"},
        {u"clred", Rgb(255, 0, 0), u"clRed"},
        {u"$00123456", Rgb(0x56, 0x34, 0x12), u"$00123456"},
        {u"$000000FF", Rgb(255, 0, 0), u"clRed"},
        {u"1193046", 0x123456, u"$00123456"},
        {u"clWindowText", 0x80000008u, u"clWindowText"},
        {u"$80000008", 0x80000008u, u"clWindowText"},
        {u"clNone", 0x1FFFFFFFu, u"clNone"},
        // Names some earlier builds wrote by mistake: read, and written as the table has them.
        {u"kWindowTextColor", 0x80000008u, u"clWindowText"},
        {u"kButtonFaceColor", 0x8000000Fu, u"clBtnFace"},
        {u"kNoColor", 0x1FFFFFFFu, u"clNone"},
        {u"cl3DDkShadow", 0x80000015u, u"cl3DDkShadow"},
    };
    for (const auto& c : cases) {
        auto v = ParseColor(c.text);
        ASSERT_TRUE(v.has_value()) << Utf16ToUtf8(c.text);
        EXPECT_EQ(*v, c.value) << Utf16ToUtf8(c.text);
        EXPECT_EQ(FormatColor(*v), c.written);
    }
    EXPECT_EQ(FormatColor(Rgb(86, 52, 18)), u"$00123456");
    EXPECT_EQ(ColorNameCount(), 42u);
    for (const char16_t* badText : {u"", u"clPink", u"$", u"$1G", u"4294967296", u"--1"})
        EXPECT_FALSE(ParseColor(badText).has_value()) << Utf16ToUtf8(badText);
}

TEST(Integers, decimalAndDollarHexOnly) {
    EXPECT_EQ(ParseInteger(u"-12"), -12);
    EXPECT_EQ(ParseInteger(u" 7 "), 7);
    EXPECT_EQ(ParseInteger(u"$FF"), 255);
    EXPECT_EQ(ParseInteger(u"2147483647"), 2147483647);
    EXPECT_FALSE(ParseInteger(u"2147483648").has_value());
    EXPECT_FALSE(ParseInteger(u"1.5").has_value());
    EXPECT_FALSE(ParseInteger(u"").has_value());
}

class TempDir : public testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vernalo_app_XXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { std::system(("chmod -R u+w " + dir + "; rm -rf " + dir).c_str()); }
    std::string dir;
};

TEST_F(TempDir, readingAFolderAsAFileIsAnError) {
    std::string bytes = "kept", error;
    EXPECT_FALSE(ReadWholeFile(dir, bytes, &error));
    EXPECT_NE(error.find(dir), std::string::npos);
}

TEST_F(TempDir, baseDirIsThePortableFolderOrThePerUserOne) {
    EXPECT_EQ(ResolveBaseDir(dir, "/xdg", "/home/u"), "/xdg/vernalo");
    EXPECT_EQ(ResolveBaseDir(dir, nullptr, "/home/u"), "/home/u/.local/share/vernalo");
    EXPECT_EQ(ResolveBaseDir(dir, "relative", "/home/u"), "/home/u/.local/share/vernalo");
    // Without HOME the account's own home folder, never a folder every user can write to.
    const passwd* account = getpwuid(getuid());
    ASSERT_NE(account, nullptr);
    const std::string own = std::string(account->pw_dir) + "/.local/share/vernalo";
    EXPECT_EQ(ResolveBaseDir(dir, nullptr, nullptr), own);
    EXPECT_EQ(ResolveBaseDir(dir, nullptr, ""), own);
    ASSERT_TRUE(std::filesystem::create_directories(dir + "/data"));
    EXPECT_EQ(ResolveBaseDir(dir, "/xdg", "/home/u"), dir);
}

// A folder the program may not write to; as root, modes are no obstacle, so a file-size
// limit makes the write itself fail instead.
struct WriteBlocker {
    explicit WriteBlocker(const std::string& folder) : folder(folder) {
        chmod(folder.c_str(), 0555);
        if (access(folder.c_str(), W_OK) == 0) {
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit tiny = saved;
            tiny.rlim_cur = 8;
            setrlimit(RLIMIT_FSIZE, &tiny);
            oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            limited = true;
        }
    }
    ~WriteBlocker() {
        if (limited) {
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, oldHandler);
        }
        chmod(folder.c_str(), 0755);
    }
    std::string folder;
    rlimit saved{};
    void (*oldHandler)(int) = nullptr;
    bool limited = false;
};

TEST_F(TempDir, failedSaveLeavesTheOldFileWhole) {
    ASSERT_TRUE(std::filesystem::create_directories(dir + "/data"));
    std::string path = SettingsPath(dir);
    IniFile ini;
    WriteSettings(ini, ReaderSettings{});
    ASSERT_TRUE(ini.save(path));
    std::string before;
    ASSERT_TRUE(ReadWholeFile(path, before));
    ini.write(u"Speech", u"RUSSIAN", u"Other");
    std::string error;
    {
        WriteBlocker blocked(dir + "/data");
        EXPECT_FALSE(ini.save(path, &error));
    }
    EXPECT_NE(error.find("reader.ini"), std::string::npos);
    std::string after;
    ASSERT_TRUE(ReadWholeFile(path, after));
    EXPECT_EQ(after, before);
    EXPECT_EQ(system(("test $(ls " + dir + "/data | wc -l) -eq 1").c_str()), 0)
        << "temporary file left";
}

}  // namespace
}  // namespace vernalo
