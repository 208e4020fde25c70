// The window's document commands: paste, open, find, HTML to text, DOS to Windows, save.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <cstdlib>
#include <fstream>

#include "app/finddialog.h"
#include "app/tformreader.h"
#include "documents/codepage.h"
#include "documents/fileio.h"
#include "speech/fakevoice.h"

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace vernalo {
namespace {

class WindowDocuments : public testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vernalo_docs_XXXXXX";
        dir = mkdtemp(tmpl);
        TFormReader::Options o;
        o.baseDir = dir;
        o.showMessages = false;
        o.voices = [] {
            std::vector<test::FakeMode> modes = {{u"Russian", u"Nicolai"}, {u"English", u"Carol"}};
            return std::pair<std::unique_ptr<TDirectSS>, std::unique_ptr<TDirectSS>>(
                std::make_unique<test::FakeVoice>(modes), std::make_unique<test::FakeVoice>(modes));
        };
        w = std::make_unique<TFormReader>(o);
        w->onMessage = [this](const QString& m) { messages.push_back(m); };
        w->FormCreate();
    }
    void TearDown() override {
        w.reset();
        std::system(("rm -rf " + dir).c_str());
    }
    std::string File(const std::string& name, const std::string& bytes) {
        std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    QString Text() const { return w->memoText()->toPlainText(); }

    std::string dir;
    std::unique_ptr<TFormReader> w;
    std::vector<QString> messages;
};

TEST_F(WindowDocuments, pasteWithoutTextSaysSoAndStillMarksTheText) {
    auto* data = new QMimeData;
    data->setImageData(QImage(4, 4, QImage::Format_RGB32));
    QApplication::clipboard()->setMimeData(data);
    w->memoText()->setPlainText(QStringLiteral("kept"));
    w->TextChanged = false;
    w->SBClipClick();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QStringLiteral("Clipboard does not contain text."));
    EXPECT_EQ(Text(), QStringLiteral("kept"));
    EXPECT_TRUE(w->TextChanged);
    EXPECT_EQ(w->panelText(2), QStringLiteral("Strings: 1"));

    QApplication::clipboard()->setText(QStringLiteral("one\ntwo"));
    w->SBClipClick();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(Text().contains(QStringLiteral("one\ntwo")));
    EXPECT_EQ(w->panelText(2), QStringLiteral("Strings: 2"));
}

TEST_F(WindowDocuments, openTakesTheEditorRoadByTheKey) {
    const std::string txt = File("Notes.Txt", "{\\rtf1\\ansi {\\b bold} plain\\par}");
    EXPECT_TRUE(w->OpenDocument(QString::fromStdString(txt)));
    EXPECT_EQ(Text(), QStringLiteral("bold plain"));  // rich text in a .txt file shows formatted
    EXPECT_EQ(w->findChild<QLineEdit*>(QStringLiteral("STextFileName"))->text(),
              QString::fromStdString(txt));
    EXPECT_TRUE(w->TextChanged);
    const std::string rtf =
        File("book.rtf", "just \xEF\xF0\xE8\xE2\xE5\xF2");  // plain Windows-1251
    EXPECT_TRUE(w->OpenDocument(QString::fromStdString(rtf)));
    EXPECT_EQ(Text(), QStringLiteral("just привет"));
    EXPECT_FALSE(w->OpenDocument(QString::fromStdString(dir + "/missing.txt")));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Cannot open file ")))
        << messages[0].toStdString();
    EXPECT_EQ(Text(), QStringLiteral("just привет"));  // the editor keeps what it had
}

TEST_F(WindowDocuments, findContinuesAfterTheSelectionWithTheDialogsSettings) {
    w->memoText()->setPlainText(QStringLiteral("part art Art art"));
    w->SetSelection(6, 0);  // caret in the middle, nothing selected: from the top
    w->SpeedButton5Click();
    auto* dialog = w->findChild<TFindDialog*>(QStringLiteral("FindDialog1"));
    ASSERT_NE(dialog, nullptr);
    dialog->setFindText(QStringLiteral("art"));
    EXPECT_TRUE(w->FindDialog1Find());
    EXPECT_EQ(w->SelectionStart(), 1);  // inside "part"
    EXPECT_TRUE(w->FindDialog1Find());
    EXPECT_EQ(w->SelectionStart(), 5);
    EXPECT_TRUE(w->FindDialog1Find());
    EXPECT_EQ(w->SelectionStart(), 13);  // "Art" does not match with case on
    EXPECT_FALSE(w->FindDialog1Find());
    EXPECT_EQ(w->SelectionStart(), 13);  // the last match stays selected
    FindOptions o;
    o.down = false;
    o.matchCase = false;
    o.wholeWord = true;
    dialog->setOptions(o);
    EXPECT_TRUE(w->FindDialog1Find());
    EXPECT_EQ(w->SelectionStart(), 9);  // upward, any case, whole words only
}

TEST_F(WindowDocuments, htmlToTextReplacesTheEditorWithTheConvertedPage) {
    w->memoText()->setPlainText(QStringLiteral(
        "<html><head><title>T</title></head><body><h1>Big</h1><p>One two</p></body></html>"));
    w->SBHTML2TXTClick();
    EXPECT_EQ(Text(), QStringLiteral("\n Big\n\n One two\n"));
    QTextCursor c(w->memoText()->document());
    c.setPosition(2);
    EXPECT_TRUE(c.charFormat().font().bold());  // the heading is bold
    EXPECT_EQ(w->panelText(2), QStringLiteral("Strings: %1").arg(w->editorLineCount()));
}

TEST_F(WindowDocuments, dosToWindowsRecodesLettersWithoutMarkingTheText) {
    // "Привет" written in the DOS code page and read as Windows-1251.
    w->memoText()->setPlainText(
        QString::fromStdU16String(DecodeCp1251("\x8F\xE0\xA8\xA2\xA5\xE2 ok")));
    w->TextChanged = false;
    w->Button2Click();
    EXPECT_EQ(w->memoText()->toPlainText(), QStringLiteral("Привет ok"));
    EXPECT_FALSE(w->TextChanged);
    EXPECT_EQ(w->SelectionStart(), 0);
}

}  // namespace
}  // namespace vernalo
