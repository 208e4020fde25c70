// FB2 and EPUB books read into rich text: fixtures made by pandoc from one short mixed
// text (tests/data/books/README.md), compared word for word with pandoc's own plain-text
// export of the same files, and hostile archives and XML that must give one clear error.

#include "documents/books/bookreader.h"

#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "documents/books/ziparchive.h"
#include "documents/rtf/rtfwriter.h"
#include "support/booktext.h"
#include "support/hostile.h"
#include "support/makezip.h"
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

const std::string kBooks = std::string(VERNALO_TEST_DATA) + "/books/";

struct Fixture {
    const char* file;
    const char* pandocText;  // pandoc -t plain of the same file
    // Whether pandoc's text starts with the title page (it does so for EPUB 2 only).
    bool pandocShowsTitle = false;
};

class BookFidelity : public ::testing::TestWithParam<Fixture> {};

TEST_P(BookFidelity, TextEqualsPandocsPlainExportWordForWord) {
    const ReadResult r = ReadFile(kBooks + GetParam().file);
    ASSERT_TRUE(r.ok) << r.error;
    // Both formats start with the book's title and author (the description of FB2, the
    // title page of EPUB), which pandoc mostly keeps as metadata and leaves out of plain text.
    std::vector<QString> expected;
    if (!GetParam().pandocShowsTitle)
        expected = Words(QStringLiteral("Весна в городе Anna Petrova"));
    for (const QString& w : Words(QString::fromStdString(Slurp(kBooks + GetParam().pandocText))))
        expected.push_back(w);
    EXPECT_EQ(Join(Words(Q(r.document.plainText()))), Join(expected));
    // pandoc keeps a note's link back to its call; a listener has no use for it.
    EXPECT_EQ(r.document.plainText().find(u'↩'), std::u16string::npos);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, BookFidelity,
                         ::testing::Values(Fixture{"book.epub", "book.epub.txt"},
                                           Fixture{"book2.epub", "book2.epub.txt", true},
                                           Fixture{"book.fb2", "book.fb2.txt"},
                                           Fixture{"book-1251.fb2", "book.fb2.txt"},
                                           Fixture{"book.fb2.zip", "book.fb2.txt"}));

class BookFormats : public ::testing::TestWithParam<const char*> {};

TEST_P(BookFormats, HeadingsEmphasisPoemsAndListsComeOutAsFormats) {
    const ReadResult r = ReadFile(kBooks + GetParam());
    ASSERT_TRUE(r.ok) << r.error;
    const RichDocument& doc = r.document;

    const Found title = FindRun(doc, u"Весна в городе");
    ASSERT_TRUE(title.found);
    EXPECT_TRUE(title.format.bold);
    const Found heading = FindRun(doc, u"Глава первая");
    ASSERT_TRUE(heading.found);
    EXPECT_TRUE(heading.format.bold);
    EXPECT_GT(heading.format.halfPoints, 24);
    EXPECT_EQ(heading.paragraph, u"Глава первая: Spring");
    const Found sub = FindRun(doc, u"Что мы взяли");
    ASSERT_TRUE(sub.found);
    EXPECT_TRUE(sub.format.bold);
    EXPECT_LT(sub.format.halfPoints, heading.format.halfPoints);

    const Found quiet = FindRun(doc, u"quiet");
    ASSERT_TRUE(quiet.found);
    EXPECT_TRUE(quiet.format.bold);
    EXPECT_FALSE(quiet.format.italic);
    const Found quietly = FindRun(doc, u"тихий");
    ASSERT_TRUE(quietly.found);
    EXPECT_TRUE(quietly.format.italic);
    EXPECT_FALSE(quietly.format.bold);
    const Found plain = FindRun(doc, u"Утром");
    ASSERT_TRUE(plain.found);
    EXPECT_EQ(plain.format, CharFormat{});

    // The stanza is one paragraph whose lines are kept apart by line breaks.
    const Found poem = FindRun(doc, u"Ветер");
    ASSERT_TRUE(poem.found);
    EXPECT_NE(poem.paragraph.find(u"водой,\u2028the willow"), std::u16string::npos)
        << Q(poem.paragraph).toStdString();

    // Each list item is a line of its own.
    const Found item = FindRun(doc, u"thermos");
    ASSERT_TRUE(item.found);
    EXPECT_NE(item.paragraph.find(u"a thermos of "), std::u16string::npos);
    EXPECT_EQ(item.paragraph.find(u"хлеб"), std::u16string::npos);

    // The note comes last.
    const std::u16string text = doc.plainText();
    EXPECT_GT(text.find(u"Это было в апреле"), text.find(u"half past eight"));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, BookFormats,
                         ::testing::Values("book.epub", "book2.epub", "book.fb2", "book-1251.fb2",
                                           "book.fb2.zip"));

TEST(DocumentKind, BySuffixCaseIgnored) {
    EXPECT_EQ(DocumentKindOf(u"a/Book.FB2"), DocumentKind::Fb2);
    EXPECT_EQ(DocumentKindOf(u"book.fb2.zip"), DocumentKind::Fb2Zip);
    EXPECT_EQ(DocumentKindOf(u"book.EPUB"), DocumentKind::Epub);
    EXPECT_EQ(DocumentKindOf(u"book.zip"), DocumentKind::None);
    EXPECT_EQ(DocumentKindOf(u"fb2"), DocumentKind::None);
}

// --- hostile input ---

const std::string kContainer =
    R"(<?xml version="1.0"?><container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container"><rootfiles><rootfile full-path="OPS/book.opf" media-type="application/oebps-package+xml"/></rootfiles></container>)";
const std::string kPackage =
    R"(<?xml version="1.0"?><package xmlns="http://www.idpf.org/2007/opf" version="3.0"><manifest><item id="c" href="c.xhtml" media-type="application/xhtml+xml"/></manifest><spine><itemref idref="c"/></spine></package>)";

std::string Epub(const std::string& chapter) {
    return MakeZip({{"mimetype", "application/epub+zip"},
                    {"META-INF/container.xml", kContainer},
                    {"OPS/book.opf", kPackage},
                    {"OPS/c.xhtml", chapter}});
}

std::vector<Hostile> HostileCases() {
    const std::string fb2Head = R"(<?xml version="1.0" encoding="UTF-8"?>)";
    const std::string fb2Open =
        R"(<FictionBook xmlns="http://www.gribuser.ru/xml/fictionbook/2.0"><body>)";
    const std::string fb2Close = "</body></FictionBook>";
    std::vector<Hostile> cases = {
        {"empty epub", DocumentKind::Epub, "", "the file is empty"},
        {"not a zip", DocumentKind::Epub, "plain text, not an archive",
         "the file is damaged or incomplete"},
        {"no container", DocumentKind::Epub, MakeZip({{"mimetype", "application/epub+zip"}}),
         "container (META-INF/container.xml) is missing"},
        {"no package", DocumentKind::Epub, MakeZip({{"META-INF/container.xml", kContainer}}),
         "the package document is missing"},
        {"no chapter", DocumentKind::Epub,
         MakeZip({{"META-INF/container.xml", kContainer}, {"OPS/book.opf", kPackage}}),
         "the part OPS/c.xhtml is missing"},
        {"malformed container", DocumentKind::Epub,
         MakeZip({{"META-INF/container.xml", "<container><rootfiles>"}}),
         "the container is malformed"},
        {"malformed chapter", DocumentKind::Epub, Epub("<html><body><p>text</body></html>"),
         "malformed XML"},
        {"laughs in a chapter", DocumentKind::Epub,
         Epub(kLaughs + "<html><body><p>&lol9;</p></body></html>"), "declares entities"},
        {"laughs in the package", DocumentKind::Epub,
         MakeZip({{"META-INF/container.xml", kContainer},
                  {"OPS/book.opf", kLaughs + "<package>&lol9;</package>"}}),
         "declares entities"},
        {"deep chapter", DocumentKind::Epub,
         Epub("<html><body>" + Nested("<div>", "</div>", 100000) + "</body></html>"),
         "nested too deeply"},
        // 50 MB of one letter deflates about a thousand times.
        {"bomb", DocumentKind::Epub,
         Epub("<html><body><p>" + std::string(50u << 20, 'a') + "</p></body></html>"), "zip bomb"},
        {"fb2 laughs", DocumentKind::Fb2, kLaughs + fb2Open + "<p>&lol9;</p>" + fb2Close,
         "declares entities"},
        {"fb2 external entity", DocumentKind::Fb2,
         fb2Head + R"(<!DOCTYPE x [<!ENTITY e SYSTEM "file:///etc/passwd">]>)" + fb2Open +
             "<p>&e;</p>" + fb2Close,
         "declares entities"},
        {"fb2 deep", DocumentKind::Fb2,
         fb2Head + fb2Open + Nested("<section>", "</section>", 100000) + fb2Close,
         "nested too deeply"},
        {"fb2 malformed", DocumentKind::Fb2, fb2Head + fb2Open + "<p>text</section>" + fb2Close,
         "malformed XML at line 1"},
        {"fb2 cut", DocumentKind::Fb2, fb2Head + fb2Open + "<p>text", "malformed XML"},
        {"fb2 empty", DocumentKind::Fb2, "", "the file is empty"},
        {"fb2.zip without a book", DocumentKind::Fb2Zip, MakeZip({{"a.txt", "text"}}),
         "holds no .fb2 book"},
        {"fb2.zip with two books", DocumentKind::Fb2Zip,
         MakeZip({{"a.fb2", "<a/>"}, {"b.fb2", "<b/>"}}), "more than one book"},
        {"fb2.zip bomb", DocumentKind::Fb2Zip,
         MakeZip({{"a.fb2",
                   fb2Head + fb2Open + "<p>" + std::string(50u << 20, ' ') + "</p>" + fb2Close}}),
         "zip bomb"},
    };
    const std::string epub = Slurp(kBooks + "book.epub");
    for (std::size_t cut = 1024; cut < epub.size(); cut += 1024)
        cases.push_back({"epub cut", DocumentKind::Epub, epub.substr(0, cut), ""});
    std::mt19937 random(15);
    for (const DocumentKind kind : {DocumentKind::Epub, DocumentKind::Fb2, DocumentKind::Fb2Zip}) {
        for (const std::size_t size : {1u, 100u, 5000u, 100000u}) {
            std::string bytes(size, '\0');
            for (char& c : bytes)
                c = static_cast<char>(random());
            cases.push_back({"random bytes", kind, bytes, ""});
        }
    }
    return cases;
}

TEST(BookHostile, EachGivesOneClearErrorAndNoDocument) {
    for (const Hostile& h : HostileCases())
        test::ExpectRefused(h);
}

TEST(BookXhtml, EntitiesOfXhtmlAndXmlAreCharacters) {
    // EPUB 2 chapters name the XHTML 1.1 DTD, which is never fetched; its entities are known.
    const ReadResult r = ReadAs(Epub(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.1//EN" "http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd">
<html xmlns="http://www.w3.org/1999/xhtml"><head><title>t</title></head>
<body><p>a&nbsp;b &mdash; c &amp; &lt;d&gt; &#1046;&#x416;</p>
<table><tr><th>one</th><td> two </td></tr><tr><td>три</td><td>four</td></tr></table>
<pre>line  one
line two</pre></body></html>)"),
                                DocumentKind::Epub);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.document.text(),
              u"a\u00a0b \u2014 c & <d> ЖЖ\none\ttwo\nтри\tfour\nline  one\u2028line two");
}

TEST(ZipArchive, StopsAtTheTotalInflatedLimit) {
    const std::string zip =
        MakeZip({{"a", std::string(600000, 'x')}, {"b", std::string(600000, 'y')}});
    std::string error;
    auto archive = ZipArchive::open(zip, error, ZipLimits{1000000, 1u << 20, 1u << 20});
    ASSERT_TRUE(archive) << error;
    std::string out;
    EXPECT_TRUE(archive->read("a", out, error)) << error;
    EXPECT_EQ(out.size(), 600000u);
    EXPECT_FALSE(archive->read("b", out, error));
    EXPECT_NE(error.find("zip bomb"), std::string::npos);
    EXPECT_TRUE(out.empty());
}

// Every book fixture's runs and formats, written out as RTF, against what the reader made of it
// when the reference was written (README.md there says how): a change in any text, break or
// format shows here, and so does a book added without its reference.
TEST(BookRichText, EachFixtureWritesTheRtfOfItsReference) {
    int fixtures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kBooks)) {
        const std::string name = entry.path().filename().string();
        if (!name.ends_with(".fb2") && !name.ends_with(".epub") && !name.ends_with(".fb2.zip"))
            continue;
        SCOPED_TRACE(name);
        ++fixtures;
        const ReadResult r = ReadFile(kBooks + name);
        ASSERT_TRUE(r.ok) << r.error;
        const std::string reference = kBooks + name + ".expected.rtf";
        ASSERT_TRUE(std::filesystem::exists(reference));
        EXPECT_EQ(WriteRtf(r.document), Slurp(reference));
    }
    EXPECT_EQ(fixtures, 5);
}

TEST(ZipArchive, ReadsMembersAndNamesTheMissingOne) {
    const std::string zip = MakeZip({{"dir/a.txt", "Привет, world"}});
    std::string error;
    auto archive = ZipArchive::open(zip, error);
    ASSERT_TRUE(archive) << error;
    EXPECT_EQ(archive->names(), std::vector<std::string>{"dir/a.txt"});
    std::string out;
    ASSERT_TRUE(archive->read("dir/a.txt", out, error)) << error;
    EXPECT_EQ(out, "Привет, world");
    EXPECT_FALSE(archive->read("b.txt", out, error));
    EXPECT_EQ(error, "the part b.txt is missing");
}

}  // namespace
}  // namespace vernalo
