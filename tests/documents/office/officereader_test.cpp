// DOCX and ODT documents read into rich text: fixtures made by pandoc and LibreOffice from
// one short mixed text (tests/data/office/README.md), compared word for word with each
// tool's own plain-text export of the same files; small hand-made parts for what the
// fixtures do not hold (revisions, fields, symbols, styles, notes); and hostile packages
// and XML that must give one clear error.

#include "documents/office/officereader.h"

#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "documents/books/bookreader.h"
#include "documents/books/ziparchive.h"
#include "documents/read.h"
#include "documents/rtf/rtfwriter.h"
#include "support/booktext.h"
#include "support/hostile.h"
#include "support/makezip.h"
#include "support/officeparts.h"
#include "support/readas.h"

namespace vernalo {
namespace {

using test::FindRun;
using test::Found;
using test::Hostile;
using test::Join;
using test::kLaughs;
using test::MakeZip;
using test::Nested;
using test::Q;
using test::ReadAs;
using test::ReadFile;
using test::Slurp;
using test::Words;
using namespace test::office;

const std::string kOffice = std::string(VERNALO_TEST_DATA) + "/office/";

// --- fidelity ---

struct Fixture {
    const char* file;
    const char* exported;  // the tool's plain-text export of the same file
    // What the export leaves out (README.md there says why), put back before comparing:
    // these words after the first `after` word, or at the end when `after` is empty.
    const char* missingAfter = "";
    const char* missing = "";
};

void PrintTo(const Fixture& f, std::ostream* os) {
    *os << f.exported;
}

// LibreOffice's text export keeps the footnote's number, not its text.
constexpr const char* kNote = "Новости были о погоде, mostly about the rain in the north.";
// pandoc's ODT reader drops the table's header row.
constexpr const char* kHeaderRow = "Статья Item Сумма";

class OfficeFidelity : public ::testing::TestWithParam<Fixture> {};

TEST_P(OfficeFidelity, TextEqualsTheToolsPlainExportWordForWord) {
    const Fixture& f = GetParam();
    const ReadResult r = ReadFile(kOffice + f.file);
    ASSERT_TRUE(r.ok) << r.error;
    std::vector<QString> expected = Words(QString::fromStdString(Slurp(kOffice + f.exported)));
    const std::vector<QString> missing = Words(QString::fromUtf8(f.missing));
    auto at = expected.end();
    if (*f.missingAfter) {
        at = std::find(expected.begin(), expected.end(), QString::fromUtf8(f.missingAfter));
        ASSERT_NE(at, expected.end()) << f.missingAfter;
        ++at;
    }
    expected.insert(at, missing.begin(), missing.end());
    EXPECT_EQ(Join(Words(Q(r.document.plainText()))), Join(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, OfficeFidelity,
    ::testing::Values(Fixture{"office.docx", "office.docx.pandoc.txt"},
                      Fixture{"office.docx", "office.docx.libreoffice.txt", "", kNote},
                      Fixture{"office-lo.docx", "office-lo.docx.pandoc.txt"},
                      Fixture{"office-lo.docx", "office-lo.docx.libreoffice.txt", "", kNote},
                      Fixture{"office.odt", "office.odt.pandoc.txt", "expenses", kHeaderRow},
                      Fixture{"office.odt", "office.odt.libreoffice.txt", "", kNote},
                      Fixture{"office-lo.odt", "office-lo.odt.pandoc.txt", "expenses", kHeaderRow},
                      Fixture{"office-lo.odt", "office-lo.odt.libreoffice.txt", "", kNote}));

class OfficeFormats : public ::testing::TestWithParam<const char*> {};

TEST_P(OfficeFormats, HeadingsEmphasisListsTablesAndNotesComeOutAsFormats) {
    const ReadResult r = ReadFile(kOffice + GetParam());
    ASSERT_TRUE(r.ok) << r.error;
    const RichDocument& doc = r.document;

    const Found h1 = FindRun(doc, u"Отчёт о поездке");
    ASSERT_TRUE(h1.found);
    EXPECT_TRUE(h1.format.bold);
    EXPECT_EQ(h1.format.halfPoints, 36);
    EXPECT_EQ(h1.paragraph, u"Отчёт о поездке: Trip report");
    const Found h2 = FindRun(doc, u"Что мы видели");
    ASSERT_TRUE(h2.found);
    EXPECT_TRUE(h2.format.bold);
    EXPECT_EQ(h2.format.halfPoints, 32);
    const Found h3 = FindRun(doc, u"Итог");
    ASSERT_TRUE(h3.found);
    EXPECT_TRUE(h3.format.bold);
    EXPECT_EQ(h3.format.halfPoints, 28);

    const Found italic = FindRun(doc, u"понедельник");
    ASSERT_TRUE(italic.found);
    EXPECT_TRUE(italic.format.italic);
    EXPECT_FALSE(italic.format.bold);
    const Found bold = FindRun(doc, u"empty");
    ASSERT_TRUE(bold.found);
    EXPECT_TRUE(bold.format.bold);
    EXPECT_FALSE(bold.format.italic);
    const Found both = FindRun(doc, u"perfect");
    ASSERT_TRUE(both.found);
    EXPECT_TRUE(both.format.bold);
    EXPECT_TRUE(both.format.italic);
    const Found plain = FindRun(doc, u"Мы выехали");
    ASSERT_TRUE(plain.found);
    EXPECT_EQ(plain.format, CharFormat{});

    // Each list item and each table row is a line, an item with its number or bullet as
    // plain text; cells are apart by tabs.
    EXPECT_EQ(FindRun(doc, u"зонт").paragraph, u"• зонт;");
    EXPECT_EQ(FindRun(doc, u"spare").paragraph, u"• the spare charger.");
    EXPECT_EQ(FindRun(doc, u"старый монастырь").paragraph, u"1. старый монастырь на холме;");
    EXPECT_EQ(FindRun(doc, u"wooden").paragraph.substr(0, 10), u"2. a woode");
    EXPECT_EQ(FindRun(doc, u"рынок").paragraph.substr(0, 8), u"3. рынок");
    EXPECT_EQ(FindRun(doc, u"3. ").format, CharFormat{});
    EXPECT_EQ(FindRun(doc, u"Статья").paragraph, u"Статья\tItem\tСумма");
    EXPECT_EQ(FindRun(doc, u"Бензин").paragraph, u"Бензин\tFuel\t3200");
    // The hard line break stays in its paragraph.
    EXPECT_NE(FindRun(doc, u"Всего").paragraph.find(u"рублей.\u2028That is"), std::u16string::npos);

    // The note's number stays where it was; its text comes last, after its number.
    const std::u16string text = doc.plainText();
    EXPECT_NE(text.find(u"новости.[1]\n"), std::u16string::npos);
    const std::size_t note = text.find(u"Новости были о погоде");
    ASSERT_NE(note, std::u16string::npos);
    EXPECT_GT(note, text.find(u"less than we planned"));
    EXPECT_EQ(text.rfind(u"[1]", note), text.rfind(u'\n', note) + 1);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, OfficeFormats,
                         ::testing::Values("office.docx", "office-lo.docx", "office.odt",
                                           "office-lo.odt"));

// Every fixture's runs and formats, written out as RTF, against what the reader made of it
// when the reference was written (README.md there says how): a change in any text, break or
// format of a fixture shows here, and so does a fixture added without its reference.
TEST(OfficeRichText, EachFixtureWritesTheRtfOfItsReference) {
    int fixtures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kOffice)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".docx" && entry.path().extension() != ".odt") continue;
        SCOPED_TRACE(name);
        ++fixtures;
        const ReadResult r = ReadFile(kOffice + name);
        ASSERT_TRUE(r.ok) << r.error;
        const std::string reference = kOffice + name + ".expected.rtf";
        ASSERT_TRUE(std::filesystem::exists(reference));
        EXPECT_EQ(WriteRtf(r.document), Slurp(reference));
    }
    EXPECT_EQ(fixtures, 4);
}

TEST(OfficeKind, OnlyAnArchiveOrAnOleFileGoesToTheReader) {
    EXPECT_TRUE(kDocxFormat.takes("PK\x03\x04...", u"a.docx"));
    EXPECT_TRUE(kOdtFormat.takes("PK\x03\x04...", u"a.odt"));
    EXPECT_TRUE(kDocxFormat.takes("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", u"a.docx"));
    EXPECT_FALSE(kOdtFormat.takes("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", u"a.odt"));
    EXPECT_FALSE(kDocxFormat.takes("{\\rtf1 text}", u"a.docx"));
    EXPECT_FALSE(kOdtFormat.takes("plain text", u"a.odt"));
    EXPECT_FALSE(kDocxFormat.takes("", u"a.docx"));
    EXPECT_FALSE(kDocxFormat.takes("PK\x03\x04...", u"a.odt"));
    // Books are the book reader's whatever they hold.
    EXPECT_TRUE(kEpubFormat.takes("plain text", u"a.epub"));
    EXPECT_TRUE(kFb2Format.takes("", u"a.fb2"));
    // A rich text that merely bears the name is read as what it is.
    EXPECT_EQ(ReadDocument("{\\rtf1 text}", u"report.docx").description, "rich text (RTF)");
}

TEST(OfficeKind, BySuffixCaseIgnored) {
    EXPECT_EQ(DocumentKindOf(u"a/Report.DOCX"), DocumentKind::Docx);
    EXPECT_EQ(DocumentKindOf(u"report.odt"), DocumentKind::Odt);
    EXPECT_EQ(DocumentKindOf(u"report.doc"), DocumentKind::None);
    EXPECT_EQ(DocumentKindOf(u"report.docx.txt"), DocumentKind::None);
    EXPECT_STREQ(kDocxFormat.name, "Word document (DOCX)");
    EXPECT_STREQ(kOdtFormat.name, "OpenDocument text (ODT)");
}

// --- hand-made DOCX parts ---

TEST(DocxParts, DeletedTextAndFieldCodesAreDroppedInsertionsAndFieldResultsKept) {
    EXPECT_EQ(
        DocxText(Docx(
            "<w:p>" + WRun("kept ") +
            R"(<w:del w:id="1" w:author="A"><w:r><w:delText>gone </w:delText></w:r></w:del>)"
            R"(<w:ins w:id="2" w:author="A">)" +
            WRun("new ") +
            R"(</w:ins><w:moveFrom><w:r><w:t>moved away</w:t></w:r></w:moveFrom>)"
            R"(<w:r><w:fldChar w:fldCharType="begin"/></w:r>)"
            R"(<w:r><w:instrText xml:space="preserve"> PAGE \* MERGEFORMAT </w:instrText></w:r>)"
            R"(<w:r><w:fldChar w:fldCharType="separate"/></w:r>)" +
            WRun("7") + R"(<w:r><w:fldChar w:fldCharType="end"/></w:r>)" +
            R"( <w:fldSimple w:instr=" DATE ">)" + WRun(" and 1 May") + "</w:fldSimple></w:p>")),
        u"kept new 7 and 1 May");
}

TEST(DocxParts, BreaksTabsHyphensSymbolsAndEquations) {
    EXPECT_EQ(
        DocxText(Docx(
            R"(<w:p><w:pPr><w:tabs><w:tab w:val="left" w:pos="720"/></w:tabs></w:pPr>)"
            R"(<w:r><w:t>a</w:t><w:ptab w:relativeTo="margin" w:alignment="right" w:leader="none"/><w:t>b</w:t><w:br/><w:t>c</w:t><w:cr/>)"
            R"(<w:t>d</w:t><w:tab/><w:t>d</w:t><w:noBreakHyphen/><w:t>e</w:t><w:softHyphen/><w:t xml:space="preserve">f </w:t>)"
            R"(<w:sym w:font="Symbol" w:char="F061"/><w:sym w:font="Symbol" w:char="B3"/>)"
            R"(<w:sym w:font="Wingdings" w:char="F04A"/><w:sym w:font="Arial" w:char="2014"/>)"
            R"(<w:br w:type="page"/><w:t>g</w:t></w:r>)"
            R"(<m:oMath xmlns:m="http://schemas.openxmlformats.org/officeDocument/2006/math">)"
            R"(<m:r><m:t xml:space="preserve"> x=2</m:t></m:r></m:oMath></w:p>)")),
        u"a\tb\u2028c\u2028d\td\u2011e\u00ADf α≥—\u2028g x=2");
}

TEST(DocxParts, RunsAndStylesSetBoldItalicAndHeadings) {
    const std::string styles =
        R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/></w:style>)"
        R"(<w:style w:type="paragraph" w:styleId="Quote"><w:name w:val="Quote"/><w:basedOn w:val="Normal"/><w:rPr><w:i/></w:rPr></w:style>)"
        R"(<w:style w:type="character" w:styleId="Strong"><w:name w:val="Strong"/><w:rPr><w:b/><w:bCs/></w:rPr></w:style>)"
        // A Russian Word names its heading styles "1", "2"...; the name stays English.
        R"(<w:style w:type="paragraph" w:styleId="1"><w:name w:val="heading 1"/><w:basedOn w:val="Normal"/></w:style>)"
        R"(<w:style w:type="paragraph" w:styleId="Mine"><w:name w:val="My heading"/><w:basedOn w:val="1"/></w:style>)"
        R"(<w:style w:type="table" w:styleId="Grid"><w:name w:val="Table Grid"/><w:tblStylePr w:type="firstRow"><w:rPr><w:b/></w:rPr></w:tblStylePr></w:style>)";
    const ReadResult r = ReadDocxBytes(Docx(
        R"(<w:p><w:pPr><w:pStyle w:val="Quote"/><w:rPr><w:b/></w:rPr></w:pPr>)" +
            WRun("bold ", "<w:b/>") + WRun("plain", R"(<w:b w:val="0"/><w:i w:val="false"/>)") +
            WRun(" strong", R"(<w:rStyle w:val="Strong"/>)") + WRun(" quoted") + "</w:p>" +
            R"(<w:p><w:pPr><w:outlineLvl w:val="1"/></w:pPr>)" + WRun("Outline") + "</w:p>" +
            // A tracked change keeps the old properties after the new: they are history.
            R"(<w:p><w:pPr><w:pStyle w:val="1"/><w:pPrChange w:id="1" w:author="a"><w:pPr>)"
            R"(<w:pStyle w:val="Normal"/><w:outlineLvl w:val="5"/></w:pPr></w:pPrChange></w:pPr>)" +
            WRun("Russian") + "</w:p>" + R"(<w:p><w:pPr><w:pStyle w:val="Mine"/></w:pPr>)" +
            WRun("Based") + "</w:p>" + "<w:p>" + WRun("Body") + WRun("hidden", "<w:vanish/>") +
            "</w:p>",
        styles));
    ASSERT_TRUE(r.ok) << r.error;
    const RichDocument& doc = r.document;
    EXPECT_EQ(doc.text(), u"bold plain strong quoted\nOutline\nRussian\nBased\nBody");
    auto format = [&](std::u16string_view word) {
        const Found f = FindRun(doc, word);
        EXPECT_TRUE(f.found) << Q(std::u16string(word)).toStdString();
        return f.format;
    };
    EXPECT_TRUE(format(u"bold").bold);
    EXPECT_TRUE(format(u"bold").italic);
    EXPECT_FALSE(format(u"plain").bold);
    EXPECT_FALSE(format(u"plain").italic);
    EXPECT_TRUE(format(u"strong").bold);
    EXPECT_TRUE(format(u"strong").italic);
    EXPECT_FALSE(format(u"quoted").bold);
    EXPECT_TRUE(format(u"quoted").italic);
    EXPECT_TRUE(format(u"Outline").bold);
    EXPECT_EQ(format(u"Outline").halfPoints, 32);
    EXPECT_EQ(format(u"Russian").halfPoints, 36);
    EXPECT_EQ(format(u"Based").halfPoints, 36);
    EXPECT_EQ(format(u"Body"), CharFormat{});
}

TEST(DocxParts, TableRowsAreLinesAndATextBoxIsReadOnce) {
    const std::string cell1 =
        "<w:tc><w:p>" + WRun("one") + "</w:p><w:p>" + WRun("more") + "</w:p></w:tc>";
    const std::string cell2 = "<w:tc><w:p>" + WRun("two") + "</w:p></w:tc>";
    const std::string empty = "<w:tc><w:p/></w:tc>";
    const std::string box = "<w:txbxContent><w:p>" + WRun("box") + "</w:p></w:txbxContent>";
    EXPECT_EQ(DocxText(Docx("<w:tbl><w:tr>" + cell1 + cell2 + "</w:tr><w:tr>" + empty + cell2 +
                            "</w:tr></w:tbl><w:p>" + WRun("after") +
                            R"(<w:r><mc:AlternateContent><mc:Choice Requires="wps"><w:drawing>)" +
                            box + "</w:drawing></mc:Choice><mc:Fallback><w:pict>" + box +
                            "</w:pict></mc:Fallback></mc:AlternateContent></w:r></w:p>")),
              u"one more\ttwo\n\ttwo\nafter\nbox");
}

TEST(DocxParts, NotesComeLastNumberedAsReferredToAndADeletedOneIsDropped) {
    const std::string foot =
        R"(<w:footnote w:type="separator" w:id="-1"><w:p><w:r><w:separator/></w:r></w:p></w:footnote>)"
        R"(<w:footnote w:type="continuationSeparator" w:id="0"><w:p><w:r><w:t>cont</w:t></w:r></w:p></w:footnote>)"
        R"(<w:footnote w:id="2"><w:p><w:r><w:footnoteRef/></w:r>)" +
        WRun(" second") +
        "</w:p></w:footnote>"
        R"(<w:footnote w:id="1"><w:p><w:r><w:footnoteRef/></w:r>)" +
        WRun(" first") + "</w:p><w:p>" + WRun("again") +
        "</w:p></w:footnote>"
        R"(<w:footnote w:id="3"><w:p><w:r><w:footnoteRef/></w:r>)" +
        WRun(" deleted") +
        "</w:p></w:footnote>"
        R"(<w:footnote w:id="4"><w:p><w:r><w:footnoteRef/></w:r>)" +
        WRun("custom") + "</w:p></w:footnote>";
    const std::string end = R"(<w:endnote w:id="1"><w:p><w:r><w:endnoteRef/></w:r>)" +
                            WRun(" end") + "</w:p></w:endnote>";
    EXPECT_EQ(
        DocxText(Docx(
            "<w:p>" + WRun("a") + R"(<w:r><w:footnoteReference w:id="1"/></w:r>)" + WRun(" b") +
                R"(<w:r><w:footnoteReference w:id="2"/></w:r>)" +
                R"(<w:del><w:r><w:footnoteReference w:id="3"/></w:r></w:del>)" + WRun(" c") +
                R"(<w:r><w:endnoteReference w:id="1"/></w:r>)" +
                R"(<w:r><w:footnoteReference w:customMarkFollows="1" w:id="4"/><w:t>*</w:t></w:r>)" +
                "</w:p>",
            "", foot, end)),
        u"a[1] b[2] c[1]*\n[2] second\n[1] first\nagain\ncustom\n[1] end");
}

// Word's elements by their namespace, not their prefix: the default namespace, a prefix
// bound to Word's namespace on one paragraph, and Word's own names bound elsewhere.
TEST(DocxParts, ElementsAreKnownByTheirNamespaceWhateverTheirPrefix) {
    const std::string main = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
    EXPECT_EQ(DocxText(MakeZip(
                  {{"word/document.xml",
                    "<document xmlns=\"" + main + "\"><body><p><r><t>one</t></r></p>"
                    "<p xmlns:v=\"" + main + "\"><v:r><v:t>two</v:t></v:r></p>"
                    "<p><r xmlns=\"urn:other\"><t>not Word's</t></r></p>"
                    "<w:p xmlns:w=\"urn:other\"><w:r><w:t>nor this</w:t></w:r></w:p>"
                    "<p><r><t>three</t></r></p></body></document>"}})),
              u"one\ntwo\nthree");
}

TEST(DocxParts, TheMainPartIsFoundThroughThePackageRelationships) {
    const std::string rels =
        R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="/doc/main.xml"/></Relationships>)";
    EXPECT_EQ(
        DocxText(MakeZip({{"_rels/.rels", rels},
                          {"doc/main.xml", Document("<w:p>" + WRun("elsewhere") + "</w:p>")}})),
        u"elsewhere");
}

// --- hand-made ODT parts ---

TEST(OdtParts, SpacesTabsBreaksNotesAndWhatIsDropped) {
    const ReadResult r = ReadOdtBytes(Odt(Content(
        R"(<text:tracked-changes><text:changed-region text:id="c1"><text:deletion><text:p>deleted</text:p></text:deletion></text:changed-region></text:tracked-changes>)"
        R"(<text:h text:outline-level="2">Head<text:soft-page-break/>ing</text:h>)"
        R"(<text:p>a<text:s text:c="3"/>b <text:s/>c<text:tab/>d<text:line-break/>e)"
        R"(<office:annotation><dc:creator>A</dc:creator><text:p>remark</text:p></office:annotation>)"
        R"( f<text:note text:id="n1" text:note-class="footnote"><text:note-citation>1</text:note-citation>)"
        R"(<text:note-body><text:p>note <text:span text:style-name="T1">text</text:span></text:p></text:note-body></text:note>)"
        R"( g<text:s text:c="2000000000"/>h</text:p>)"
        R"(<text:list><text:list-item><text:p>one</text:p></text:list-item><text:list-item><text:p>two</text:p>)"
        R"(<text:list><text:list-item><text:p>inner</text:p></text:list-item></text:list></text:list-item></text:list>)"
        R"(<table:table><table:table-header-rows><table:table-row><table:table-cell><text:p>x</text:p><text:p>y</text:p></table:table-cell>)"
        R"(<table:table-cell><text:p>z</text:p></table:table-cell></table:table-row></table:table-header-rows>)"
        R"(<table:table-row><table:table-cell><text:p>1</text:p></table:table-cell><table:covered-table-cell/></table:table-row></table:table>)",
        R"(<style:style style:name="T1" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>)")));
    ASSERT_TRUE(r.ok) << r.error;
    const std::u16string text = r.document.text();
    const std::u16string spaces(1024, u' ');
    EXPECT_EQ(text, u"Heading\na   b  c\td\u2028e f[1] g" + spaces +
                        u"h\none\ntwo\ninner\nx y\tz\n1\t\n[1] note text");
    const Found heading = FindRun(r.document, u"Heading");
    EXPECT_TRUE(heading.format.bold);
    EXPECT_EQ(heading.format.halfPoints, 32);
    EXPECT_TRUE(FindRun(r.document, u"text").format.bold);
    EXPECT_FALSE(FindRun(r.document, u"note").format.bold);
}

TEST(OdtParts, AutomaticAndCommonStylesSetBoldAndItalic) {
    const std::string automatic =
        R"(<style:style style:name="T1" style:family="text"><style:text-properties fo:font-weight="bold" fo:font-style="italic"/></style:style>)"
        R"(<style:style style:name="T2" style:family="text" style:parent-style-name="Emphasis"><style:text-properties fo:font-weight="700"/></style:style>)"
        R"(<style:style style:name="P1" style:family="paragraph" style:parent-style-name="Title"/>)";
    const std::string common =
        R"(<style:style style:name="Emphasis" style:family="text"><style:text-properties fo:font-style="italic"/></style:style>)"
        R"(<style:style style:name="Title" style:family="paragraph"><style:text-properties fo:font-weight="bold"/></style:style>)"
        R"(<style:style style:name="T1" style:family="paragraph"><style:text-properties fo:font-weight="normal"/></style:style>)";
    const ReadResult r = ReadOdtBytes(Odt(
        Content(
            R"(<text:p text:style-name="P1">title <text:span text:style-name="T3">still</text:span></text:p>)"
            R"(<text:p>plain: <text:span text:style-name="T1">both</text:span> )"
            R"(<text:span text:style-name="Emphasis">em</text:span> <text:span text:style-name="T2">heavy</text:span></text:p>)",
            automatic),
        common));
    ASSERT_TRUE(r.ok) << r.error;
    auto format = [&](std::u16string_view word) { return FindRun(r.document, word).format; };
    EXPECT_TRUE(format(u"title").bold);
    EXPECT_TRUE(format(u"still").bold);
    EXPECT_FALSE(format(u"plain:").bold);
    EXPECT_TRUE(format(u"both").bold);
    EXPECT_TRUE(format(u"both").italic);
    EXPECT_TRUE(format(u"em").italic);
    EXPECT_FALSE(format(u"em").bold);
    EXPECT_TRUE(format(u"heavy").bold);
    EXPECT_TRUE(format(u"heavy").italic);
}

// --- hostile input ---

std::vector<Hostile> HostileCases() {
    const std::string oleHead("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    const std::string encryptionInfo("E\0n\0c\0r\0y\0p\0t\0i\0o\0n\0I\0n\0f\0o\0", 28);
    const std::string manifest =
        R"(<?xml version="1.0" encoding="UTF-8"?><manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"><manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"><manifest:encryption-data manifest:checksum-type="SHA1/1K" manifest:checksum="x"/></manifest:file-entry></manifest:manifest>)";
    std::vector<Hostile> cases = {
        {"empty docx", DocumentKind::Docx, "", "the file is empty"},
        {"empty odt", DocumentKind::Odt, "", "the file is empty"},
        {"docx not a zip", DocumentKind::Docx, "plain text, not an archive",
         "the file is damaged or incomplete"},
        {"odt not a zip", DocumentKind::Odt, "plain text, not an archive",
         "the file is damaged or incomplete"},
        {"docx without its document", DocumentKind::Docx,
         MakeZip({{"[Content_Types].xml", "<Types/>"}, {"word/styles.xml", "<w:styles/>"}}),
         "word/document.xml is missing"},
        {"odt without its content", DocumentKind::Odt,
         MakeZip({{"mimetype", "application/vnd.oasis.opendocument.text"}}),
         "content.xml is missing"},
        {"docx malformed", DocumentKind::Docx,
         MakeZip({{"word/document.xml", "<w:document " + kW + ">\n<w:body><w:p></w:body>"}}),
         "word/document.xml: malformed XML at line 2"},
        {"docx cut", DocumentKind::Docx,
         MakeZip({{"word/document.xml", Document("").substr(0, 60)}}),
         "word/document.xml: malformed XML"},
        {"docx malformed styles", DocumentKind::Docx, Docx("<w:p/>", "<w:style>"),
         "word/styles.xml: malformed XML"},
        {"docx malformed rels", DocumentKind::Docx, MakeZip({{"_rels/.rels", "<Relationships>"}}),
         "_rels/.rels: malformed XML"},
        {"odt malformed", DocumentKind::Odt, Odt(Content("<text:p>text</text:h>")),
         "content.xml: malformed XML at line 1"},
        {"odt malformed styles", DocumentKind::Odt, Odt(Content(""), "<style:style>"),
         "styles.xml: malformed XML"},
        {"docx prefix bound nowhere", DocumentKind::Docx, Docx("<w:p>\n<x:r/></w:p>"),
         "word/document.xml: malformed XML at line 2"},
        {"odt prefix used beyond its element", DocumentKind::Odt,
         Odt(Content(R"(<text:p xmlns:x="urn:x"><x:a/></text:p><x:b/>)")),
         "content.xml: malformed XML at line 1"},
        {"docx laughs", DocumentKind::Docx,
         MakeZip({{"word/document.xml", kLaughs + "<w:document " + kW +
                                            "><w:body><w:p><w:r><w:t>&lol9;</w:t></w:r></w:p>"
                                            "</w:body></w:document>"}}),
         "word/document.xml: the XML declares entities"},
        {"docx laughs in the notes", DocumentKind::Docx,
         MakeZip({{"word/document.xml", Document("")},
                  {"word/footnotes.xml", kLaughs + "<w:footnotes>&lol9;</w:footnotes>"}}),
         "word/footnotes.xml: the XML declares entities"},
        {"docx external entity", DocumentKind::Docx,
         MakeZip(
             {{"word/document.xml",
               R"(<?xml version="1.0"?><!DOCTYPE x [<!ENTITY e SYSTEM "file:///etc/passwd">]><w:document )" +
                   kW + "><w:body><w:p><w:r><w:t>&e;</w:t></w:r></w:p></w:body></w:document>"}}),
         "declares entities"},
        {"odt laughs", DocumentKind::Odt,
         Odt(kLaughs + "<office:document-content " + kOdfNs +
             "><office:body><office:text><text:p>&lol9;</text:p></office:text></office:body>"
             "</office:document-content>"),
         "content.xml: the XML declares entities"},
        {"odt laughs in the styles", DocumentKind::Odt,
         MakeZip({{"content.xml", Content("")}, {"styles.xml", kLaughs + "<a>&lol9;</a>"}}),
         "styles.xml: the XML declares entities"},
        {"docx deep", DocumentKind::Docx,
         Docx("<w:p>" + Nested("<w:hyperlink>", "</w:hyperlink>", 1000) + "</w:p>"),
         "nested too deeply"},
        {"odt deep", DocumentKind::Odt,
         Odt(Content("<text:p>" + Nested("<text:span>", "</text:span>", 1000) + "</text:p>")),
         "nested too deeply"},
        // 50 MB of one letter deflates about a thousand times.
        {"docx bomb", DocumentKind::Docx,
         Docx("<w:p>" + WRun(std::string(50u << 20, 'a')) + "</w:p>"), "zip bomb"},
        {"odt bomb", DocumentKind::Odt,
         Odt(Content("<text:p>" + std::string(50u << 20, ' ') + "</text:p>")), "zip bomb"},
        {"docx password", DocumentKind::Docx,
         oleHead + std::string(1000, '\0') + encryptionInfo + std::string(1000, '\0'),
         "it is password-protected"},
        {"binary doc named docx", DocumentKind::Docx, oleHead + std::string(2000, '\0'),
         "binary Word document (.doc)"},
        {"odt password", DocumentKind::Odt,
         MakeZip({{"mimetype", "application/vnd.oasis.opendocument.text"},
                  {"META-INF/manifest.xml", manifest},
                  {"content.xml", std::string(300, '\x9C')}}),
         "it is password-protected"},
    };
    for (const auto& [file, kind] : {std::pair{"office.docx", DocumentKind::Docx},
                                     std::pair{"office-lo.docx", DocumentKind::Docx},
                                     std::pair{"office.odt", DocumentKind::Odt},
                                     std::pair{"office-lo.odt", DocumentKind::Odt}}) {
        const std::string bytes = Slurp(kOffice + file);
        for (std::size_t cut = 1024; cut < bytes.size(); cut += 1024)
            cases.push_back({"cut", kind, bytes.substr(0, cut), "", true});
    }
    std::mt19937 random(15);
    // The fixtures with their main part damaged at random: bytes dropped, doubled or
    // changed into markup.
    for (const auto& [file, kind, part] :
         {std::tuple{"office.docx", DocumentKind::Docx, "word/document.xml"},
          std::tuple{"office-lo.docx", DocumentKind::Docx, "word/footnotes.xml"},
          std::tuple{"office.odt", DocumentKind::Odt, "content.xml"},
          std::tuple{"office-lo.odt", DocumentKind::Odt, "styles.xml"}}) {
        const std::string bytes = Slurp(kOffice + file);
        std::string error;
        auto zip = ZipArchive::open(bytes, error);
        EXPECT_TRUE(zip) << error;
        if (!zip) continue;
        std::vector<std::pair<std::string, std::string>> members;
        for (const std::string& name : zip->names()) {
            members.push_back({name, ""});
            EXPECT_TRUE(zip->read(name, members.back().second, error)) << error;
        }
        for (int round = 0; round < 60; ++round) {
            auto damaged = members;
            for (auto& [name, data] : damaged) {
                if (name != part || data.empty()) continue;
                for (int n = 0; n < 1 + round % 8; ++n) {
                    const std::size_t at = random() % data.size();
                    const std::size_t len =
                        std::min<std::size_t>(1 + random() % 40, data.size() - at);
                    switch (random() % 3) {
                        case 0:
                            data.erase(at, len);
                            break;
                        case 1:
                            data.insert(at, data.substr(at, len));
                            break;
                        default:
                            data[at] = "<>/\"=&"[random() % 6];
                            break;
                    }
                    if (data.empty()) data = "<";
                }
            }
            cases.push_back({"damaged part", kind, MakeZip(damaged), "", true});
        }
    }
    for (const DocumentKind kind : {DocumentKind::Docx, DocumentKind::Odt}) {
        for (const std::size_t size : {1u, 100u, 5000u, 100000u}) {
            std::string bytes(size, '\0');
            for (char& c : bytes)
                c = static_cast<char>(random());
            cases.push_back({"random bytes", kind, bytes, ""});
        }
    }
    return cases;
}

TEST(OfficeHostile, EachGivesOneClearErrorAndNoDocument) {
    for (const Hostile& h : HostileCases())
        test::ExpectRefused(h);
}

}  // namespace
}  // namespace vernalo
