// Which road an opened file takes, from its path alone.

#include "documents/model/openkind.h"

#include <gtest/gtest.h>

#include <string>

#include "support/casename.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

struct KeyCase {
    const char* name;
    const char* path;
    const char* key;
    OpenRoad road;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.name;
}

class OpenKindCases : public testing::TestWithParam<KeyCase> {};

TEST_P(OpenKindCases, keyAndRoad) {
    const KeyCase& c = GetParam();
    const std::u16string path = Utf8ToUtf16(c.path);
    EXPECT_EQ(Utf16ToUtf8(OpenTypeKey(path)), c.key) << c.path;
    EXPECT_EQ(OpenRoadFor(path), c.road) << c.path;
}

INSTANTIATE_TEST_SUITE_P(
    paths, OpenKindCases,
    testing::Values(KeyCase{"mixedCaseTxt", "/home/ann/Notes.Txt", "TXT", OpenRoad::Editor},
                    KeyCase{"txt", "/home/ann/notes.txt", "TXT", OpenRoad::Editor},
                    KeyCase{"docx", "/home/ann/report.docx", "DOC", OpenRoad::Editor},
                    KeyCase{"rtf2", "/home/ann/book.rtf2", "RTF", OpenRoad::Editor},
                    KeyCase{"upperCaseDoc", "/home/ann/old.DOC", "DOC", OpenRoad::Editor},
                    KeyCase{"htm", "/home/ann/page.htm", "HTM", OpenRoad::Browser},
                    KeyCase{"asp", "/home/ann/page.asp", "ASP", OpenRoad::Browser},
                    KeyCase{"csv", "/home/ann/data.csv", "CSV", OpenRoad::Browser},
                    KeyCase{"tx", "/home/ann/a.tx", "TX", OpenRoad::Browser},
                    KeyCase{"endsWithDot", "/home/ann/ends.", "", OpenRoad::Browser},
                    // No "." anywhere: the first three characters of the path.
                    KeyCase{"noDotTakesThePathStart", "/home/ann/readme", "/HO", OpenRoad::Browser},
                    KeyCase{"noDotTxtFile", "txtfile", "TXT", OpenRoad::Editor},
                    // The "." of a folder name decides when the file name has none.
                    KeyCase{"folderDotDecides", "C:/old.dir/readme", "DIR", OpenRoad::Browser},
                    KeyCase{"txtFolderDecides", "/srv/v1.txt/readme", "TXT", OpenRoad::Editor},
                    KeyCase{"dotFile", "/home/ann/.bashrc", "BAS", OpenRoad::Browser},
                    // Cyrillic letters are upper-cased too, and are not the Latin key.
                    KeyCase{"fb2", "/home/ann/Book.FB2", "FB2", OpenRoad::Editor},
                    KeyCase{"fb2Zip", "/home/ann/book.fb2.zip", "ZIP", OpenRoad::Editor},
                    KeyCase{"plainZip", "/home/ann/photos.zip", "ZIP", OpenRoad::Browser},
                    KeyCase{"epub", "/home/ann/book.epub", "EPU", OpenRoad::Editor},
                    KeyCase{"pdf", "/home/ann/Paper.PDF", "PDF", OpenRoad::Editor},
                    KeyCase{"odt", "/home/ann/Report.ODT", "ODT", OpenRoad::Editor},
                    KeyCase{"scanJpeg", "/home/ann/Page.JPEG", "JPE", OpenRoad::Editor},
                    KeyCase{"scanTiff", "/home/ann/scan.tif", "TIF", OpenRoad::Editor},
                    KeyCase{"screenshotWebp", "/home/ann/shot.webp", "WEB", OpenRoad::Editor},
                    KeyCase{"cyrillicExtension", "/home/ann/файл.тхт", "ТХТ", OpenRoad::Browser}),
    test::CaseName);

// Office documents go through the book reader; a binary .doc does not.
TEST(OpenKind, officeDocumentsAreReadLikeBooks) {
    EXPECT_TRUE(HasDocumentKind(u"/home/ann/report.docx"));
    EXPECT_TRUE(HasDocumentKind(u"/home/ann/REPORT.DOCX"));
    EXPECT_TRUE(HasDocumentKind(u"/home/ann/report.odt"));
    EXPECT_FALSE(HasDocumentKind(u"/home/ann/report.doc"));
    EXPECT_FALSE(HasDocumentKind(u"/home/ann/report.docm"));
}

TEST(OpenDialogFilter, listsEveryReadableFileFirstThenTheSixKinds) {
    const std::string filter(kOpenDialogFilter);
    EXPECT_EQ(filter.rfind("All readable files (", 0), 0u);
    const std::string all = filter.substr(0, filter.find(";;"));
    for (const char* pattern : {"*.txt", "*.rtf", "*.doc", "*.docx", "*.odt", "*.pdf", "*.fb2",
                                "*.fb2.zip", "*.epub", "*.html", "*.png", "*.jpg", "*.tif",
                                "*.webp", "*.bmp"})
        EXPECT_NE(all.find(pattern), std::string::npos) << pattern;
    EXPECT_NE(filter.find(";;Text files (*.txt);;"), std::string::npos);
    std::size_t entries = 1;
    for (std::size_t at = filter.find(";;"); at != std::string::npos;
         at = filter.find(";;", at + 2))
        ++entries;
    EXPECT_EQ(entries, 7u);
    EXPECT_NE(filter.find("HTML files (*.html *.htm *.asp *.jsp)"), std::string::npos);
    // On Linux "*.*" would hide names without a ".".
    EXPECT_NE(filter.find("All files (*)"), std::string::npos);
}

}  // namespace
}  // namespace vernalo
