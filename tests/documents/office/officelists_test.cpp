// List numbers of DOCX and ODT documents, hand-made for what the fixtures' one numbered and
// one bulleted list do not hold: nested levels, start values, restarts and continuations,
// numbering reached through styles, and a missing or damaged numbering part.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "support/booktext.h"
#include "support/casename.h"
#include "support/officeparts.h"
#include "support/readas.h"

namespace vernalo {
namespace {

using namespace test::office;

struct ListCase {
    const char* name;
    DocumentKind kind;
    std::string bytes;
    std::u16string text;
};

void PrintTo(const ListCase& c, std::ostream* os) {
    *os << c.name;
}

// A DOCX paragraph in list `numId` at `level`.
std::string Item(const std::string& text, int numId, int level = 0) {
    return R"(<w:p><w:pPr><w:numPr><w:ilvl w:val=")" + std::to_string(level) +
           R"("/><w:numId w:val=")" + std::to_string(numId) + R"("/></w:numPr></w:pPr>)" +
           WRun(text) + "</w:p>";
}

std::string Level(int level, const std::string& format, const std::string& text,
                  const std::string& more = "") {
    return R"(<w:lvl w:ilvl=")" + std::to_string(level) + R"("><w:numFmt w:val=")" + format +
           R"("/><w:lvlText w:val=")" + text + R"("/>)" + more + "</w:lvl>";
}

const std::string kNumbering =
    R"(<w:abstractNum w:abstractNumId="1">)" + Level(0, "decimal", "%1.") +
    Level(1, "decimal", "%1.%2.") + Level(2, "lowerLetter", "%3)") +
    // Never starts again: counts on across the items above it.
    Level(3, "decimal", "(%4)", R"(<w:lvlRestart w:val="0"/>)") +
    R"(</w:abstractNum><w:abstractNum w:abstractNumId="2">)" +
    Level(0, "upperRoman", "%1.", R"(<w:start w:val="3"/>)") + Level(1, "bullet", "o") +
    R"(</w:abstractNum><w:num w:numId="1"><w:abstractNumId w:val="1"/></w:num>)"
    R"(<w:num w:numId="2"><w:abstractNumId w:val="2"/></w:num>)"
    R"(<w:num w:numId="3"><w:abstractNumId w:val="2"/>)"
    R"(<w:lvlOverride w:ilvl="0"><w:startOverride w:val="1"/></w:lvlOverride></w:num>)";

const std::string kListStyles =
    R"(<w:style w:type="paragraph" w:styleId="List"><w:name w:val="List Paragraph"/>)"
    R"(<w:pPr><w:numPr><w:numId w:val="2"/></w:numPr></w:pPr></w:style>)"
    R"(<w:style w:type="paragraph" w:styleId="Step"><w:name w:val="Step"/><w:basedOn w:val="List"/></w:style>)";

std::string Styled(const std::string& text, const std::string& own = "") {
    return R"(<w:p><w:pPr><w:pStyle w:val="Step"/>)" + own + "</w:pPr>" + WRun(text) + "</w:p>";
}

// An ODT list of the given items (each its XML) in list style `style`.
std::string List(const std::string& items, const std::string& attributes = "") {
    return "<text:list " + attributes + ">" + items + "</text:list>";
}
std::string Li(const std::string& text, const std::string& more = "",
               const std::string& attributes = "") {
    return "<text:list-item " + attributes + "><text:p>" + text + "</text:p>" + more +
           "</text:list-item>";
}

const std::string kOdtStyles =
    R"(<text:list-style style:name="L1">)"
    R"(<text:list-level-style-number text:level="1" style:num-format="1" style:num-suffix="."/>)"
    R"(<text:list-level-style-number text:level="2" style:num-format="1" style:num-suffix="." text:display-levels="2"/>)"
    R"x(<text:list-level-style-number text:level="3" style:num-format="a" style:num-suffix=")"/>)x"
    R"x(<text:list-level-style-number text:level="4" style:num-format="I" style:num-prefix="(" style:num-suffix=")" text:start-value="4"/>)x"
    R"(</text:list-style><text:list-style style:name="B">)"
    R"(<text:list-level-style-bullet text:level="1" text:bullet-char="-"/></text:list-style>)"
    R"(<style:style style:name="Points" style:family="paragraph" style:list-style-name="B"/>)";

std::vector<ListCase> ListCases() {
    const std::string l1 = R"(text:style-name="L1")";
    const std::string nested = List(Li("sub", List(Li("deep", List(Li("four"))))) + Li("sub"));
    const std::string styledItem =
        R"(<text:list-item><text:p text:style-name="Points">a</text:p></text:list-item>)";
    const std::string header = "<text:list-header><text:p>head</text:p></text:list-header>";
    return {
        {"DocxLevelsRestartUnderANewParent", DocumentKind::Docx,
         Docx(Item("one", 1) + Item("sub", 1, 1) + Item("sub", 1, 1) + Item("deep", 1, 2) +
                  Item("kept", 1, 3) + Item("two", 1) + Item("sub", 1, 1) + Item("deep", 1, 2) +
                  Item("kept", 1, 3),
              "", "", "", kNumbering),
         u"1. one\n1.1. sub\n1.2. sub\na) deep\n(1) kept\n2. two\n2.1. sub\na) deep\n(2) kept"},
        {"DocxStartsOverridesStylesAndNoList", DocumentKind::Docx,
         Docx(Styled("three") + Styled("dot", R"(<w:numPr><w:ilvl w:val="1"/></w:numPr>)") +
                  Item("four", 2) + Styled("none", R"(<w:numPr><w:numId w:val="0"/></w:numPr>)") +
                  Item("one", 3) + Item("unknown", 9) + Item("two", 3),
              kListStyles, "", "", kNumbering),
         u"III. three\n\u2022 dot\nIV. four\nnone\nI. one\nunknown\nII. two"},
        {"DocxWithoutNumbering", DocumentKind::Docx, Docx(Item("item", 1) + Item("item", 1)),
         u"item\nitem"},
        {"DocxWithDamagedNumbering", DocumentKind::Docx,
         Docx(Item("item", 1), "", "", "", kNumbering.substr(0, 80)), u"item"},
        {"OdtLevelsStartsHeadersAndContinuation", DocumentKind::Odt,
         Odt(Content(List(Li("one") + Li("two", nested) + header +
                              Li("seven", "", R"(text:start-value="7")"),
                          l1) +
                     List(Li("eight"), l1 + R"( text:continue-numbering="true")") +
                     List(Li("again"), l1 + R"( xml:id="first")") + List(Li("x"), l1) +
                     List(Li("on"), l1 + R"( text:continue-list="first")")),
             kOdtStyles),
         u"1. one\n2. two\n2.1. sub\na) deep\n(IV) four\n2.2. sub\nhead\n7. seven\n8. eight\n"
         u"1. again\n1. x\n2. on"},
        {"OdtListStyleOfTheParagraphStyle", DocumentKind::Odt,
         Odt(Content(List(styledItem + styledItem) + List(Li("plain"))), kOdtStyles),
         u"\u2022 a\n\u2022 a\nplain"},
    };
}

class OfficeLists : public ::testing::TestWithParam<ListCase> {};

TEST_P(OfficeLists, ItemsStartWithTheirNumbersAsTheDocumentShowsThem) {
    const ReadResult r = test::ReadAs(GetParam().bytes, GetParam().kind);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.document.text(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, OfficeLists, ::testing::ValuesIn(ListCases()), test::CaseName);

}  // namespace
}  // namespace vernalo
