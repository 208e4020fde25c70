#include "text/documenttext.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "text/textcodec.h"

namespace vernalo {
namespace {

using namespace std::string_literals;

std::string ReadFixture(const char* name) {
    std::ifstream in(std::string(VERNALO_TEST_DATA "/encodings/") + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The fixtures are UTF-8; each case encodes them with the C library's converters.
std::string Encode(const std::string& utf8, const char* to) {
    iconv_t cd = iconv_open(to, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(to);
    std::string out(utf8.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    char* o = out.data();
    std::size_t inLeft = utf8.size(), outLeft = out.size();
    const std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1)) throw std::runtime_error(std::string("iconv ") + to);
    out.resize(out.size() - outLeft);
    return out;
}

std::u16string Expected(const std::string& utf8) {
    std::u16string text = Utf8ToUtf16(utf8);
    NormalizeLineBreaks(text);
    return text;
}

struct EncodingCase {
    const char* iconvName;
    DocumentEncoding encoding;
};

const EncodingCase kEncodings[] = {
    {"WINDOWS-1251", DocumentEncoding::Windows1251},
    {"KOI8-R", DocumentEncoding::Koi8R},
    {"CP866", DocumentEncoding::Cp866},
    {"ISO-8859-5", DocumentEncoding::Iso8859_5},
    {"MAC-CYRILLIC", DocumentEncoding::MacCyrillic},
    {"UTF-16LE", DocumentEncoding::Utf16LE},
    {"UTF-16BE", DocumentEncoding::Utf16BE},
    {"UTF-8", DocumentEncoding::Utf8},
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

void PrintTo(const EncodingCase& c, std::ostream* os) {
    *os << c.iconvName;
}

class EncodingTable : public testing::TestWithParam<EncodingCase> {};

// A few KB of prose: always the encoding it was written in, decoded back to the same text.
TEST_P(EncodingTable, longTextIsDetectedAndDecoded) {
    const std::string utf8 = ReadFixture("long.txt");
    ASSERT_GT(utf8.size(), 4000u);
    for (const char* breaks : {"\n", "\r\n"}) {
        std::string source;
        for (const std::string& line : Lines(utf8))
            source += line + breaks + breaks;
        const DecodedDocument d = DecodeDocumentText(Encode(source, GetParam().iconvName));
        EXPECT_EQ(d.encoding, GetParam().encoding) << DocumentEncodingName(d.encoding);
        EXPECT_TRUE(d.text == Expected(source)) << "line breaks " << (breaks[1] ? "CR LF" : "LF");
    }
}

// A sentence: the right encoding when the detector is sure of it, else Windows-1251 as
// always; never a third one. A Windows-1251 sentence is Windows-1251, every one of them.
TEST_P(EncodingTable, shortTextIsItsEncodingOrWindows1251) {
    std::vector<std::string> sentences = Lines(ReadFixture("short.txt"));
    // Every sentence of the long text too, cut at its full stops.
    for (const std::string& line : Lines(ReadFixture("long.txt"))) {
        std::size_t from = 0;
        for (std::size_t dot; (dot = line.find(". ", from)) != std::string::npos; from = dot + 2)
            sentences.push_back(line.substr(from, dot + 1 - from));
        sentences.push_back(line.substr(from));
    }
    ASSERT_GT(sentences.size(), 30u);
    int right = 0;
    for (const std::string& s : sentences) {
        const DecodedDocument d = DecodeDocumentText(Encode(s, GetParam().iconvName));
        if (GetParam().encoding == DocumentEncoding::Windows1251 ||
            d.encoding == GetParam().encoding) {
            EXPECT_EQ(d.encoding, GetParam().encoding) << s;
            EXPECT_TRUE(d.text == Expected(s)) << s;
            ++right;
        } else {
            EXPECT_EQ(d.encoding, DocumentEncoding::Windows1251)
                << s << ": " << DocumentEncodingName(d.encoding);
        }
    }
    // Most sentences are long enough to be sure of.
    EXPECT_GE(right * 4, static_cast<int>(sentences.size()) * 3) << right;
}

// The shortest texts, where detectors guess most: every run of one to four words of the
// prose, alone in a file, stays Windows-1251.
TEST(DetectDocumentEncoding, everyFewWordsOfWindows1251StayWindows1251) {
    std::vector<std::string> words;
    std::istringstream in(ReadFixture("long.txt"));
    for (std::string w; in >> w;)
        words.push_back(w);
    ASSERT_GT(words.size(), 400u);
    int runs = 0;
    for (std::size_t n = 1; n <= 4; ++n) {
        for (std::size_t i = 0; i + n <= words.size(); ++i) {
            std::string run = words[i];
            for (std::size_t j = 1; j < n; ++j)
                run += " " + words[i + j];
            const std::string bytes = Encode(run, "WINDOWS-1251");
            if (IsValidUtf8(bytes)) continue;  // a dash alone is ASCII
            EXPECT_EQ(DetectDocumentEncoding(bytes), DocumentEncoding::Windows1251) << run;
            ++runs;
        }
    }
    EXPECT_GT(runs, 1500);
}

INSTANTIATE_TEST_SUITE_P(, EncodingTable, testing::ValuesIn(kEncodings),
                         [](const testing::TestParamInfo<EncodingCase>& info) {
                             std::string name;
                             for (char c : std::string(info.param.iconvName))
                                 if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                             return name;
                         });

TEST(DetectDocumentEncoding, byteOrderMarkThenUtf8ThenWindows1251) {
    EXPECT_EQ(DetectDocumentEncoding(""), DocumentEncoding::Utf8);
    EXPECT_EQ(DetectDocumentEncoding("plain ascii\n"), DocumentEncoding::Utf8);
    EXPECT_EQ(DetectDocumentEncoding("\xEF\xBB\xBF\xCF\xF0"), DocumentEncoding::Utf8Bom);
    EXPECT_EQ(DetectDocumentEncoding("\xFF\xFE\x3F\x04"), DocumentEncoding::Utf16LEBom);
    EXPECT_EQ(DetectDocumentEncoding("\xFE\xFF\x04\x3F"), DocumentEncoding::Utf16BEBom);
    // A word or two gives the detector nothing to be sure of.
    EXPECT_EQ(DetectDocumentEncoding("\xEF\xF0\xE8"), DocumentEncoding::Windows1251);
    EXPECT_EQ(DetectDocumentEncoding("\xCF\xF0\xE8\xE2\xE5\xF2"), DocumentEncoding::Windows1251);
    // Bytes above 0x7F that read as no language at all stay Windows-1251 too.
    EXPECT_EQ(DetectDocumentEncoding("\x80\x81\x82\x83\x84 \x85\x86"),
              DocumentEncoding::Windows1251);
}

struct BinaryCase {
    const char* name;
    std::string bytes;
};

std::string RandomControls() {
    std::string s;
    unsigned x = 12345;
    for (int i = 0; i < 4096; ++i) {
        x = x * 1103515245 + 12345;
        s.push_back(static_cast<char>(1 + (x >> 16) % 31));
    }
    return s;
}

const BinaryCase kBinaries[] = {
    {"elfHeader",
     "\x7F"
     "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0\x3E\0\x01\0\0\0\x60\x10\0\0\0\0\0\0"s +
         std::string(200, 'x')},
    {"pngHeader",
     "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x01\0\0\0\x01\0\x08\x06\0\0\0\x5C\x72\xA8\x66"s},
    {"randomControls", RandomControls()},
    {"utf8WithNul", "\xD0\xBF\xD1\x80\xD0\xB8 hello\0world"s},
    {"utf16WithBomOfControls", "\xFF\xFE\x01\0\x02\0\x03\0\x04\0a\0\x05\0\x06\0"s},
};

void PrintTo(const BinaryCase& c, std::ostream* os) {
    *os << c.name;
}

class BinaryTable : public testing::TestWithParam<BinaryCase> {};

TEST_P(BinaryTable, isNotText) {
    EXPECT_EQ(DetectDocumentEncoding(GetParam().bytes), DocumentEncoding::NotText);
    const DecodedDocument d = DecodeDocumentText(GetParam().bytes);
    EXPECT_FALSE(d.isText());
    EXPECT_TRUE(d.text.empty());
}

INSTANTIATE_TEST_SUITE_P(, BinaryTable, testing::ValuesIn(kBinaries),
                         [](const testing::TestParamInfo<BinaryCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(DetectDocumentEncoding, textWithAFewControlsIsText) {
    // A form feed between pages, an escape or two: still a text.
    EXPECT_EQ(DetectDocumentEncoding("page one\fpage two \x1B[1mbold\x1B[0m and more text here"),
              DocumentEncoding::Utf8);
    EXPECT_EQ(DetectDocumentEncoding("text\x1A"), DocumentEncoding::Utf8);  // DOS end of file
}

}  // namespace
}  // namespace vernalo
