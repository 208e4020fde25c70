// vernalo-cli convert, run as a user would.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include "support/casename.h"
#include "support/cli_runner.h"

namespace {

using namespace vernalo::test;

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
