// vernalo-cli convert, run as a user would.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "support/casename.h"
#include "support/cli_runner.h"

namespace {

using namespace vernalo::test;
using namespace std::string_literals;

const std::string kData = std::string(VERNALO_TEST_DATA) + "/rtf/";

TEST(CliConvert, richTextToPlainTextWithTabSeparatedCells) {
    CliRun r = Cli("convert " + kData + "pandoc_quotes.rtf");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "Hello, world! Привет, мир!\n"
              "Brackets {curly} and back\\slash, проценты 100% и #хэштег.\n"
              "Цитата: «Мороз и солнце; день чудесный!» — A. Pushkin.\n"
              "1.\tРаз / one\n2.\tДва / two\nLeft\tRight\nжирно\titalic\n");
}

// Books read as the editor reads them; a damaged one is refused with what is wrong.
TEST(CliConvert, booksReadAsTextAndADamagedOneIsRefused) {
    const std::string books = std::string(VERNALO_TEST_DATA) + "/books/";
#ifdef VERNALO_WITH_BOOKS
    for (const char* name :
         {"book.epub", "book2.epub", "book.fb2", "book-1251.fb2", "book.fb2.zip"}) {
        CliRun r = Cli("convert " + books + name + " --verbose");
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_NE(r.out.find("Маша открыла окно"), std::string::npos) << name << r.out;
        EXPECT_NE(r.out.find("the willow bends and sways"), std::string::npos) << name;
    }
    const std::string epub = Read(books + "book.epub");
    const std::string cut = Write("convert_cut.epub", epub.substr(0, epub.size() / 2));
    CliRun r = Cli("convert " + cut);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("convert_cut.epub: the file is damaged or incomplete"), std::string::npos)
        << r.out;
#else
    CliRun r = Cli("convert " + books + "book.epub");
    EXPECT_EQ(r.status, 2);
#endif
}

#ifdef VERNALO_WITH_BOOKS
struct DocumentCase {
    const char* name;
    const char* file;  // under tests/data
    int status;
    const char* output;  // found in standard output and error together
};

void PrintTo(const DocumentCase& c, std::ostream* os) {
    *os << c.name;
}

class CliConvertDocument : public testing::TestWithParam<DocumentCase> {};

// Other readers' documents: their text, or the message the window shows.
TEST_P(CliConvertDocument, textOrTheMessage) {
    CliRun r = Cli("convert " + std::string(VERNALO_TEST_DATA) + "/" + GetParam().file);
    EXPECT_EQ(r.status, GetParam().status) << r.out;
    EXPECT_NE(r.out.find(GetParam().output), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    , CliConvertDocument,
    testing::Values(DocumentCase{"pdf", "pdf/text.pdf", 0, "\n\nВторая страница\n"},
                    DocumentCase{"scannedPdf", "pdf/scanned.pdf", 2,
                                 "vernalo-cli: This PDF has no text to read.\n"},
                    DocumentCase{"encryptedPdf", "pdf/encrypted.pdf", 2,
                                 "Cannot read encrypted.pdf: it is password-protected\n"},
                    DocumentCase{"word", "doc/text.doc", 0, "\nСлово\tWord\nвесна\tspring\n"}),
    [](const testing::TestParamInfo<DocumentCase>& info) { return std::string(info.param.name); });
#endif
// Office documents too; --verbose names the format.
TEST(CliConvert, officeDocumentsReadAsTextAndADamagedOneIsRefused) {
    const std::string office = std::string(VERNALO_TEST_DATA) + "/office/";
#ifdef VERNALO_WITH_BOOKS
    for (const auto& [name, kind] : {std::pair{"office.docx", "Word document (DOCX)"},
                                     std::pair{"office-lo.docx", "Word document (DOCX)"},
                                     std::pair{"office.odt", "OpenDocument text (ODT)"},
                                     std::pair{"office-lo.odt", "OpenDocument text (ODT)"}}) {
        CliRun r = Cli("convert " + office + name + " --verbose");
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_NE(r.out.find(std::string(name) + ": " + kind), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("Бензин\tFuel\t3200\n"), std::string::npos) << name << r.out;
        EXPECT_NE(r.out.find("Новости были о погоде"), std::string::npos) << name;
    }
    const std::string cut = Write("convert_cut.docx", "PK\x03\x04 a cut file");
    CliRun r = Cli("convert " + cut);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("convert_cut.docx: the file is damaged or incomplete"), std::string::npos)
        << r.out;
    // A rich text saved under the name is read as rich text, as before.
    r = Cli("convert " + Write("convert_rtf.docx", "{\\rtf1 Hello {\\b world}}") + " --verbose");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("rich text (RTF)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Hello world"), std::string::npos) << r.out;
#else
    CliRun r = Cli("convert " + office + "office.docx");
    EXPECT_EQ(r.status, 2);
#endif
}

TEST(CliConvert, plainTextToRichTextAndBack) {
    std::string text = Write("convert_1251.txt", "\xCF\xF0\xE8\xE2\xE5\xF2 {mir}\r\n\r\nend\r\n");
    std::string rtf = TempPath("convert_out.rtf");
    std::filesystem::remove(rtf);
    CliRun r = Cli("convert " + text + " --to rtf -o " + rtf);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "");
    std::string bytes = Read(rtf);
    EXPECT_EQ(bytes.rfind("{\\rtf1\\ansi\\ansicpg1251\\deff0", 0), 0u) << bytes;
    r = Cli("convert " + rtf + " --to txt");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Привет {mir}\n\nend\n");
}

TEST(CliConvert, readsStandardInput) {
    std::string in = Write("convert_stdin.rtf", "{\\rtf1 {\\b A}\\par B}");
    CliRun r = Cli("convert -", in);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "A\nB");
}

// The long prose fixture in one encoding, made with the iconv program.
std::string Encoded(const std::string& iconvName, const std::string& name) {
    const std::string path = TempPath(name);
    const std::string cmd = "iconv -f UTF-8 -t " + iconvName + " " +
                            std::string(VERNALO_TEST_DATA) + "/encodings/long.txt > " + path;
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    return path;
}

struct EncodingCase {
    const char* name;
    const char* iconvName;
    const char* found;  // what --verbose names
};

void PrintTo(const EncodingCase& c, std::ostream* os) {
    *os << c.name;
}

class CliConvertEncodings : public testing::TestWithParam<EncodingCase> {};

TEST_P(CliConvertEncodings, verboseNamesTheEncodingAndTheTextComesOutAsUtf8) {
    const std::string path = Encoded(GetParam().iconvName, std::string(GetParam().name) + ".txt");
    CliRun r = Cli("convert " + path + " --verbose");
    EXPECT_EQ(r.status, 0);
    const std::string line = "vernalo-cli: " + std::filesystem::path(path).filename().string() +
                             ": plain text, " + GetParam().found + "\n";
    EXPECT_EQ(r.out.rfind(line, 0), 0u) << r.out.substr(0, 200);
    EXPECT_EQ(r.out.substr(std::min(line.size(), r.out.size())),
              Read(std::string(VERNALO_TEST_DATA) + "/encodings/long.txt"));
    // Without --verbose only the text is printed.
    EXPECT_EQ(Cli("convert " + path).out, r.out.substr(std::min(line.size(), r.out.size())));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliConvertEncodings,
    testing::Values(EncodingCase{"utf8", "UTF-8", "UTF-8"},
                    EncodingCase{"windows1251", "WINDOWS-1251", "Windows-1251"},
                    EncodingCase{"koi8r", "KOI8-R", "KOI8-R"},
                    EncodingCase{"cp866", "CP866", "CP866"},
                    EncodingCase{"iso88595", "ISO-8859-5", "ISO-8859-5"},
                    EncodingCase{"macCyrillic", "MAC-CYRILLIC", "Mac Cyrillic"},
                    EncodingCase{"utf16le", "UTF-16LE", "UTF-16LE"},
                    EncodingCase{"utf16be", "UTF-16BE", "UTF-16BE"}),
    CaseName);

TEST(CliConvert, verboseNamesRichText) {
    CliRun r = Cli("convert " + kData + "pandoc_quotes.rtf --verbose");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("vernalo-cli: pandoc_quotes.rtf: rich text (RTF)\n", 0), 0u) << r.out;
}

struct BinaryCase {
    const char* name;
    std::string bytes;
};

void PrintTo(const BinaryCase& c, std::ostream* os) {
    *os << c.name;
}

std::string RandomControls() {
    std::string s;
    unsigned x = 2024;
    for (int i = 0; i < 2048; ++i) {
        x = x * 1103515245 + 12345;
        s.push_back(static_cast<char>(1 + (x >> 16) % 31));
    }
    return s;
}

class CliRefusesBinary : public testing::TestWithParam<BinaryCase> {};

// A program or an image named .txt is refused, for every command that reads a text file,
// rather than read as pages of noise.
TEST_P(CliRefusesBinary, withStatusTwoAndOneLine) {
    const std::string name = std::string(GetParam().name) + ".txt";
    const std::string path = Write(name, GetParam().bytes);
    const std::string message = "vernalo-cli: Cannot read " +
                                std::filesystem::path(path).filename().string() +
                                ": this is not a text document.\n";
    for (const std::string command : {"convert ", "convert --verbose ", "pieces "}) {
        CliRun r = Cli(command + path);
        EXPECT_EQ(r.status, 2) << command;
        EXPECT_EQ(r.out, message) << command;
    }
    CliRun r = Cli("convert -", path);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "vernalo-cli: Cannot read standard input: this is not a text document.\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliRefusesBinary,
    testing::Values(BinaryCase{"elfHeader",
                               "\x7F"
                               "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0"s +
                                   std::string(100, 'x')},
                    BinaryCase{"pngHeader",
                               "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x01\0\0\0\x01\0\x08\x06"s},
                    BinaryCase{"randomControls", RandomControls()}),
    CaseName);

struct BadUsage {
    const char* name;
    const char* args;
    int status;
    const char* message;
};

void PrintTo(const BadUsage& c, std::ostream* os) {
    *os << c.name;
}

class CliConvertFails : public testing::TestWithParam<BadUsage> {};

TEST_P(CliConvertFails, withOneLineMessage) {
    CliRun r = Cli(GetParam().args);
    EXPECT_EQ(r.status, GetParam().status);
    EXPECT_EQ(r.out.rfind("vernalo-cli: ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find(GetParam().message), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliConvertFails,
    testing::Values(BadUsage{"noInput", "convert", 2, "input"},
                    BadUsage{"missingFile", "convert /no/such/file.rtf", 2, "/no/such/file.rtf"},
                    BadUsage{"unknownFormat", "convert - --to doc", 2, "--to takes txt or rtf"},
                    BadUsage{"outputWithoutFile", "convert - -o", 2, "-o needs a file"},
                    BadUsage{"unknownOption", "convert - --bogus", 2, "unknown option"},
                    BadUsage{"twoInputs", "convert a b", 2, "more than one input"},
                    BadUsage{"unwritableOutput", "convert - -o /no/such/folder/out.txt", 1,
                             "out.txt"}),
    CaseName);

}  // namespace
