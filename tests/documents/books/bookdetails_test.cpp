// A book's author, language, year and cover as its readers give them, for an audiobook's tags:
// the cover found the way each kind of book names it, and none where it names none or the
// image is missing or no image.

#include <gtest/gtest.h>

#include <QByteArray>
#include <string>
#include <vector>

#include "documents/books/bookdetails.h"
#include "support/makezip.h"
#include "support/readas.h"

namespace vernalo {
namespace {

using test::MakeZip;

const std::string kPng("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
const std::string kJpeg("\xFF\xD8\xFF\xE0\0\x10JFIF", 10);

std::string EpubWith(const std::string& metadata, const std::string& items,
                     std::vector<std::pair<std::string, std::string>> more) {
    const std::string package =
        R"(<?xml version="1.0"?><package xmlns="http://www.idpf.org/2007/opf" )"
        R"(xmlns:dc="http://purl.org/dc/elements/1.1/" version="3.0"><metadata>)" +
        metadata +
        R"(</metadata><manifest><item id="c" href="c.xhtml" media-type="application/xhtml+xml"/>)" +
        items + R"(</manifest><spine><itemref idref="c"/></spine></package>)";
    more.insert(
        more.begin(),
        {{"mimetype", "application/epub+zip"},
         {"META-INF/container.xml",
          R"(<?xml version="1.0"?><container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container"><rootfiles><rootfile full-path="OPS/book.opf"/></rootfiles></container>)"},
         {"OPS/book.opf", package},
         {"OPS/c.xhtml", "<html><body><p>Text.</p></body></html>"}});
    return MakeZip(more);
}

std::string Fb2With(const std::string& titleInfo, const std::string& binaries) {
    return R"(<?xml version="1.0" encoding="UTF-8"?><FictionBook xmlns="http://www.gribuser.ru/xml/fictionbook/2.0" xmlns:l="http://www.w3.org/1999/xlink"><description><title-info>)" +
           titleInfo + "</title-info></description><body><section><p>Текст.</p></section></body>" +
           binaries + "</FictionBook>";
}

TEST(BookDetails, AuthorLanguageYearAndTheCoverAsEachKindNamesThem) {
    const std::string png64 = QByteArray::fromStdString(kPng).toBase64().toStdString();
    const std::string dc = R"(<dc:title>T</dc:title><dc:creator>Лев Толстой</dc:creator>)"
                           R"(<dc:language>ru</dc:language><dc:date>1869-01-01</dc:date>)";
    const struct {
        const char* name;
        DocumentKind kind;
        std::string bytes;
        BookDetails expected;
    } cases[] = {
        {"EPUB 3 cover-image",
         DocumentKind::Epub,
         EpubWith(
             dc,
             R"(<item id="i" href="img/c.png" media-type="image/png" properties="cover-image"/>)",
             {{"OPS/img/c.png", kPng}}),
         {"Лев Толстой", "ru", "1869", kPng, "image/png"}},
        {"EPUB 2 cover meta",
         DocumentKind::Epub,
         EpubWith(dc + R"(<meta name="cover" content="i"/>)",
                  R"(<item id="i" href="c.jpg" media-type="image/jpeg"/>)", {{"OPS/c.jpg", kJpeg}}),
         {"Лев Толстой", "ru", "1869", kJpeg, "image/jpeg"}},
        {"EPUB cover missing",
         DocumentKind::Epub,
         EpubWith(dc + R"(<meta name="cover" content="i"/>)",
                  R"(<item id="i" href="c.jpg" media-type="image/jpeg"/>)", {}),
         {"Лев Толстой", "ru", "1869", "", ""}},
        {"EPUB cover no image",
         DocumentKind::Epub,
         EpubWith("", R"(<item id="i" href="c.png" properties="cover-image"/>)",
                  {{"OPS/c.png", "not an image"}}),
         {}},
        {"FB2 coverpage",
         DocumentKind::Fb2,
         Fb2With(R"(<author><first-name>Anna</first-name><last-name>Petrova</last-name></author>)"
                 R"(<author><last-name>Second</last-name></author><book-title>T</book-title>)"
                 R"(<date value="2001-02-03">2001</date><lang>en</lang>)"
                 R"(<coverpage><image l:href="#c.png"/></coverpage>)",
                 R"(<binary id="other" content-type="image/png">AAAA</binary>)"
                 R"(<binary id="c.png" content-type="image/png">)" +
                     png64 + "</binary>"),
         {"Anna Petrova", "en", "2001", kPng, "image/png"}},
        {"FB2 without a cover",
         DocumentKind::Fb2,
         Fb2With("<book-title>T</book-title><date>около 1850 г.</date>", ""),
         {"", "", "1850", "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult r = test::ReadAs(c.bytes, c.kind);
        ASSERT_TRUE(r.ok) << r.error;
        const BookDetails& b = r.document.book;
        EXPECT_EQ(b.author, c.expected.author);
        EXPECT_EQ(b.language, c.expected.language);
        EXPECT_EQ(b.year, c.expected.year);
        EXPECT_EQ(b.cover, c.expected.cover);
        EXPECT_EQ(b.coverType, c.expected.coverType);
    }
}

}  // namespace
}  // namespace vernalo
