// vernalo-cli html2rtf, run as a user would.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>

#include "documents/html/htmltortf.h"
#include "support/cli_runner.h"

namespace {

using namespace vernalo::test;

const std::string kHead(vernalo::kRtfHeader);

TEST(CliHtml2Rtf, utf8PageGivesWindows1251RichText) {
    const std::string page = Write("h2r_utf8.html", "<pre>Привет\n\nмир</pre>\n");
    const CliRun r = Cli("html2rtf " + page);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kHead + " \xCF\xF0\xE8\xE2\xE5\xF2\\par \xEC\xE8\xF0}");
}

TEST(CliHtml2Rtf, windows1251PageFromStandardInput) {
    const std::string page = Write("h2r_1251.html", "<p>\xEC\xE8\xF0 {x}</p>\r\n");
    const CliRun r = Cli("html2rtf -", page);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kHead + "\\pard  \xEC\xE8\xF0 \\{x\\}\\par \\par }");
}

TEST(CliHtml2Rtf, badInputIsReportedOnOneLine) {
    struct {
        const char* args;
        const char* start;
    } const cases[] = {
        {"html2rtf /nonexistent/page.html", "vernalo-cli: "},
        {"html2rtf --fast", "vernalo-cli: unknown option '--fast' (try --help)\n"},
        {"html2rtf a.html b.html", "vernalo-cli: more than one input file\n"},
    };
    for (const auto& c : cases) {
        const CliRun r = Cli(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.out.rfind(c.start, 0), 0u) << r.out;
        EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;
    }
}

}  // namespace
