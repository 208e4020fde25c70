// Runs vernalo-cli as a user would and reads what it prints.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include "support/cli_runner.h"

namespace {

using namespace vernalo::test;

TEST(CliPieces, printsOneJsonObjectPerSentence) {
    std::string text =
        Write("cli_mixed.txt", "\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0. Hello");  // 1251
    CliRun r = Cli("pieces " + text);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(
        r.out,
        "{\"from\":1,\"to\":12,\"lang\":\"ru\",\"text\":\"Привет мир.\",\"speech\":\"Привет "
        "мир.\"}\n"
        "{\"from\":12,\"to\":18,\"lang\":\"en\",\"text\":\" Hello\",\"speech\":\" Hello\"}\n");
}

TEST(CliPieces, wordModeWithDictionaryAndStart) {
    std::string dict = Write("cli_en.dic", "Hello=Heh-low\r\n");
    std::string text = Write("cli_words.txt", "Hello, world.\r\nBye 2");
    CliRun r = Cli("pieces --mode word --dict-en " + dict + " --from 1 -", text);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "{\"from\":1,\"to\":7,\"lang\":\"en\",\"text\":\"Hello,\",\"speech\":\"Heh-low\","
              "\"replacement\":\"Heh-low\",\"sentenceEnd\":false}\n"
              "{\"from\":7,\"to\":14,\"lang\":\"en\",\"text\":\" world.\",\"speech\":\" world.\","
              "\"replacement\":\"\",\"sentenceEnd\":true}\n"
              "{\"from\":14,\"to\":19,\"lang\":\"en\",\"text\":\"\\nBye \",\"speech\":\"\\nBye \","
              "\"replacement\":\"\",\"sentenceEnd\":false}\n"
              "{\"from\":19,\"to\":20,\"lang\":null,\"text\":\"2\",\"speech\":\"2\","
              "\"replacement\":\"\",\"sentenceEnd\":false}\n");
}

// The rules' replacement is what the voice gets; the text and the positions stay as written,
// and a rule that cannot be used is named with its file and line.
TEST(CliPieces, rulesGiveTheSpeechAndNameTheirBadLines) {
    std::string rules = Write("cli_en.rules", "(?<!\\w)e\\.g\\. = for example\n(bad = x\n");
    std::string text = Write("cli_rules.txt", "Fruit, e.g. apples.");
    CliRun r = Cli("pieces --rules-en " + rules + " -", text);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, rules +
                         ":2: the pattern does not compile: missing closing parenthesis at 5\n"
                         "{\"from\":1,\"to\":20,\"lang\":\"en\",\"text\":\"Fruit, e.g. "
                         "apples.\",\"speech\":\"Fruit, for example apples.\"}\n");
}

// Long texts are written a slice at a time: a character outside the basic plane at the
// slice boundary stays whole, and an empty text is still a quoted string.
TEST(CliPieces, longWordIsWrittenWhole) {
    const std::string a(65535, 'a');
    std::string text = Write("cli_long.txt", a + "\xF0\x9F\x98\x80\"b");
    CliRun r = Cli("pieces --mode word " + text);
    EXPECT_EQ(r.status, 0);
    const std::string spoken = a + "\xF0\x9F\x98\x80\\\" b";
    const std::string want = "{\"from\":1,\"to\":65540,\"lang\":\"en\",\"text\":\"" + spoken +
                             "\",\"speech\":\"" + spoken +
                             "\",\"replacement\":\"\",\"sentenceEnd\":false}\n";
    EXPECT_TRUE(r.out == want) << r.out.substr(0, 80) << "..." << r.out.substr(65500);
}

TEST(CliPieces, badUseIsOneLineAndStatusTwo) {
    for (const char* args :
         {"pieces --no-ru --no-en -", "pieces /nonexistent/file.txt", "pieces --mode line",
          "pieces --from 0", "pieces --bogus", "nosuchcommand"}) {
        CliRun r = Cli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out.find("vernalo-cli: "), 0u) << args << ": " << r.out;
        EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << args;
    }
}

// Every command names an option it does not know with the hint an unknown command gets.
TEST(Cli, unknownOptionsPointToHelp) {
    for (const char* args : {"pieces --bogus", "say --bogus", "speak --bogus hi",
                             "convert - --bogus", "html2rtf --bogus", "audiobook --bogus",
                             "nosuchcommand"}) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.out.find("(try --help)\n"), std::string::npos) << args << ": " << r.out;
    }
}

// Nothing to read is said, and fails, instead of a silent success: no file is left either.
TEST(CliSay, emptyOrBlankInputIsRefused) {
    const std::string blank = testing::TempDir() + "/vernalo-blank.txt";
    const std::string wav = testing::TempDir() + "/vernalo-blank.wav";
    std::ofstream(blank) << " \n\t\xc2\xa0\n";
    for (const std::string& input : {std::string("/dev/null"), blank}) {
        const CliRun r = Cli("say --wav " + wav + " -", input);
        EXPECT_EQ(r.status, 1) << input;
        EXPECT_EQ(r.out, "vernalo-cli: nothing to read: standard input holds no text\n") << input;
        EXPECT_FALSE(std::ifstream(wav).good()) << input;
    }
}

TEST(Cli, helpAndVersion) {
    EXPECT_EQ(Cli("--version").status, 0);
    CliRun help = Cli("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("pieces"), std::string::npos);
}

}  // namespace
