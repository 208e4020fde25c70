// The window's document commands: paste, open, find, HTML to text, DOS to Windows, save.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QUrl>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>

#include "app/dialogs/finddialog.h"
#include "app/window/texteditor.h"
#include "documents/qt/documentio.h"
#include "support/accessible.h"
#include "support/opendocument.h"
#include "support/windowrig.h"
#include "text/codepage.h"
#include "text/fileio.h"

namespace vernalo {
namespace {

class WindowDocuments : public testing::Test, protected test::WindowRig {
protected:
    void SetUp() override { w = &startWindow(); }
    std::string file(const std::string& name, const std::string& bytes) {
        return write(name, bytes);
    }
    QString text() const { return w->editor()->toPlainText(); }

    MainWindow* w = nullptr;
};

TEST_F(WindowDocuments, pasteWithoutTextSaysSoAndStillMarksTheText) {
    auto* data = new QMimeData;
    data->setData(QStringLiteral("application/x-vernalo-nothing"), QByteArray("\x01"));
    QApplication::clipboard()->setMimeData(data);
    w->editor()->setPlainText(QStringLiteral("kept"));
    w->controllers().persistence.setTextChanged(false);
    w->controllers().documents.pasteFromClipboard();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QStringLiteral("Clipboard does not contain text."));
    EXPECT_EQ(text(), QStringLiteral("kept"));
    EXPECT_TRUE(w->controllers().persistence.textChanged());
    EXPECT_EQ(w->statusText(StatusPanel::LineCount), QStringLiteral("Strings: 1"));

    QApplication::clipboard()->setText(QStringLiteral("one\ntwo"));
    w->controllers().documents.pasteFromClipboard();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(text().contains(QStringLiteral("one\ntwo")));
    EXPECT_EQ(w->statusText(StatusPanel::LineCount), QStringLiteral("Strings: 2"));
}

TEST_F(WindowDocuments, openTakesTheEditorRoadByTheKey) {
    const std::string txt = file("Notes.Txt", "{\\rtf1\\ansi {\\b bold} plain\\par}");
    EXPECT_TRUE(test::OpenAndWait(*w, txt));
    EXPECT_EQ(text(), QStringLiteral("bold plain"));  // rich text in a .txt file shows formatted
    EXPECT_EQ(test::FindAccessible<QLineEdit>(w, "Document file")->text(),
              QString::fromStdString(txt));
    EXPECT_TRUE(w->controllers().persistence.textChanged());
    const std::string rtf =
        file("book.rtf", "just \xEF\xF0\xE8\xE2\xE5\xF2");  // plain Windows-1251
    EXPECT_TRUE(test::OpenAndWait(*w, rtf));
    EXPECT_EQ(text(), QStringLiteral("just привет"));
    EXPECT_FALSE(test::OpenAndWait(*w, dir + "/missing.txt"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Cannot open file ")))
        << messages[0].toStdString();
    EXPECT_EQ(text(), QStringLiteral("just привет"));  // the editor keeps what it had
}

// A program or an image named .txt: the loader's message, and the editor, its file name, its
// undo history and its unsaved state as they were.
TEST_F(WindowDocuments, openRefusesAFileThatIsNoText) {
    const std::string story = file("story.txt", "Once upon a time");
    ASSERT_TRUE(test::OpenAndWait(*w, story));
    auto* fileName = test::FindAccessible<QLineEdit>(w, "Document file");
    const QTextDocument* before = w->editor()->document();
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"program.txt", std::string("\x7F"
                                    "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0",
                                    20)},
        {"picture.txt", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x01\0", 20)},
        {"controls.txt", std::string(300, '\x01') + "abc"},
    };
    w->controllers().persistence.setTextChanged(false);
    for (const auto& c : cases) {
        messages.clear();
        EXPECT_FALSE(test::OpenAndWait(*w, file(c.name, c.bytes))) << c.name;
        EXPECT_FALSE(w->controllers().persistence.textChanged()) << c.name;
        ASSERT_EQ(messages.size(), 1u) << c.name;
        EXPECT_EQ(messages[0], QStringLiteral("Cannot read ") + QString::fromUtf8(c.name) +
                                   QStringLiteral(": this is not a text document."));
        EXPECT_EQ(text(), QStringLiteral("Once upon a time")) << c.name;
        EXPECT_EQ(w->editor()->document(), before) << c.name;
        EXPECT_EQ(fileName->text(), QString::fromStdString(story)) << c.name;
    }
}

TEST_F(WindowDocuments, openReadsBooksIntoTheEditorAndRefusesADamagedOne) {
    const std::string books = std::string(VERNALO_TEST_DATA) + "/books/";
    for (const char* name : {"book.fb2", "book.epub"}) {
        w->controllers().persistence.setTextChanged(false);
        ASSERT_TRUE(test::OpenAndWait(*w, books + name)) << name;
        EXPECT_TRUE(text().contains(QStringLiteral("Маша открыла окно"))) << name;
        EXPECT_TRUE(w->controllers().persistence.textChanged()) << name;
        EXPECT_EQ(test::FindAccessible<QLineEdit>(w, "Document file")->text(),
                  QString::fromStdString(books + name));
    }
    const QString before = text();
    std::ifstream in(books + "book.epub", std::ios::binary);
    const std::string epub((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string cut = file("cut.epub", epub.substr(0, epub.size() / 2));
    messages.clear();
    w->controllers().persistence.setTextChanged(false);
    EXPECT_FALSE(test::OpenAndWait(*w, cut));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Cannot read cut.epub: ")))
        << messages[0].toStdString();
    EXPECT_EQ(text(), before);
    EXPECT_FALSE(w->controllers().persistence.textChanged());
}

TEST_F(WindowDocuments, openReadsOfficeDocumentsIntoTheEditorAndRefusesADamagedOne) {
    const std::string office = std::string(VERNALO_TEST_DATA) + "/office/";
    for (const char* name : {"office.docx", "office.odt"}) {
        w->controllers().persistence.setTextChanged(false);
        ASSERT_TRUE(test::OpenAndWait(*w, office + name)) << name;
        EXPECT_TRUE(text().contains(QStringLiteral("Водитель включил радио"))) << name;
        EXPECT_TRUE(text().contains(QStringLiteral("Бензин\tFuel\t3200"))) << name;
    }
    const QString before = text();
    messages.clear();
    w->controllers().persistence.setTextChanged(false);
    EXPECT_FALSE(test::OpenAndWait(*w, file("cut.docx", "PK\x03\x04 cut")));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Cannot read cut.docx: ")))
        << messages[0].toStdString();
    EXPECT_EQ(text(), before);
    EXPECT_FALSE(w->controllers().persistence.textChanged());
    // A rich text saved under the name opens as rich text, as before.
    ASSERT_TRUE(test::OpenAndWait(*w, file("rtf.docx", "{\\rtf1 Hello}")));
    EXPECT_EQ(text(), QStringLiteral("Hello"));
}

TEST_F(WindowDocuments, openDecodesATextInAnotherRussianEncoding) {
    // "Поезд пришёл в город рано утром." in CP866, as DOS editors wrote it.
    const std::string path = file("dos.txt",
                                  "\x8F\xAE\xA5\xA7\xA4 \xAF\xE0\xA8\xE8\xF1\xAB \xA2 "
                                  "\xA3\xAE\xE0\xAE\xA4 \xE0\xA0\xAD\xAE "
                                  "\xE3\xE2\xE0\xAE\xAC.\r\n");
    ASSERT_TRUE(test::OpenAndWait(*w, path));
    EXPECT_EQ(text(), QStringLiteral("Поезд пришёл в город рано утром.\n"));
}

TEST_F(WindowDocuments, findContinuesAfterTheSelectionWithTheDialogsSettings) {
    w->editor()->setPlainText(QStringLiteral("part art Art art"));
    w->editor()->select(6, 0);  // caret in the middle, nothing selected: from the top
    w->controllers().documents.findInText();
    auto* dialog = w->findChild<FindDialog*>();
    ASSERT_NE(dialog, nullptr);
    dialog->setFindText(QStringLiteral("art"));
    EXPECT_TRUE(w->controllers().documents.findNext());
    EXPECT_EQ(w->editor()->selectionStart(), 1);  // inside "part"
    EXPECT_TRUE(w->controllers().documents.findNext());
    EXPECT_EQ(w->editor()->selectionStart(), 5);
    EXPECT_TRUE(w->controllers().documents.findNext());
    EXPECT_EQ(w->editor()->selectionStart(), 13);  // "Art" does not match with case on
    const QString activity = w->statusText(StatusPanel::Activity);
    EXPECT_FALSE(w->controllers().documents.findNext());
    EXPECT_EQ(w->editor()->selectionStart(), 13);  // the last match stays selected
    EXPECT_EQ(w->statusText(StatusPanel::Activity), QStringLiteral("Not found"));
    FindOptions o;
    o.down = false;
    o.matchCase = false;
    o.wholeWord = true;
    dialog->setOptions(o);
    EXPECT_TRUE(w->controllers().documents.findNext());
    EXPECT_EQ(w->editor()->selectionStart(), 9);  // upward, any case, whole words only
    EXPECT_EQ(w->statusText(StatusPanel::Activity), activity);
}

TEST_F(WindowDocuments, htmlToTextReplacesTheEditorWithTheConvertedPage) {
    w->editor()->setPlainText(QStringLiteral(
        "<html><head><title>T</title></head><body><h1>Big</h1><p>One two</p></body></html>"));
    w->controllers().documents.htmlToText();
    EXPECT_EQ(text(), QStringLiteral("\n Big\n\n One two\n"));
    QTextCursor c(w->editor()->document());
    c.setPosition(2);
    EXPECT_TRUE(c.charFormat().font().bold());  // the heading is bold
    EXPECT_EQ(w->statusText(StatusPanel::LineCount),
              QStringLiteral("Strings: %1").arg(w->editor()->lineCount()));
}

TEST_F(WindowDocuments, dosToWindowsRecodesLettersWithoutMarkingTheText) {
    // "Привет" written in the DOS code page and read as Windows-1251.
    w->editor()->setPlainText(
        QString::fromStdU16String(DecodeCp1251("\x8F\xE0\xA8\xA2\xA5\xE2 ok")));
    w->controllers().persistence.setTextChanged(false);
    w->controllers().documents.recodeDosToWindows();
    EXPECT_EQ(w->editor()->toPlainText(), QStringLiteral("Привет ok"));
    EXPECT_FALSE(w->controllers().persistence.textChanged());
    EXPECT_EQ(w->editor()->selectionStart(), 0);
}

// Every replacement of the whole text is one step that Ctrl+Z takes back and Ctrl+Shift+Z
// does again; the typing before it undoes as typing does.
struct WholeTextCase {
    const char* name;
    std::function<void(MainWindow&, const std::string& dir)> replace;
    QString typed = QStringLiteral(" text");  // after "Old", before the replacement
};
void PrintTo(const WholeTextCase& c, std::ostream* os) {
    *os << c.name;
}

class WholeTextUndo : public WindowDocuments, public testing::WithParamInterface<WholeTextCase> {
protected:
    // Types as a keyboard would, any characters.
    void type(const QString& text) {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w->editor(), &press);
        }
    }
    void key(int key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(w->editor(), &press);
    }
};

TEST_P(WholeTextUndo, isOneStepThatUndoesAndRedoes) {
    TextEditor* ed = w->editor();
    ed->setPlainText(QStringLiteral("Old"));
    ed->moveCursor(QTextCursor::End);
    type(GetParam().typed);
    const QString before = text();
    ASSERT_EQ(before, QStringLiteral("Old") + GetParam().typed);
    GetParam().replace(*w, dir);
    const QString after = text();
    ASSERT_NE(after, before);
    const QByteArray afterRtf = DocumentToRtf(*ed->document());

    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), before);
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(text(), after);
    EXPECT_EQ(DocumentToRtf(*ed->document()), afterRtf) << "the formatting comes back too";
    key(Qt::Key_Z, Qt::ControlModifier);
    key(Qt::Key_Z, Qt::ControlModifier);  // then the typing, as before
    EXPECT_TRUE(QStringLiteral("Old").startsWith(text())) << text().toStdString();
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(text(), after);
    EXPECT_TRUE(w->controllers().persistence.textChanged());
}

INSTANTIATE_TEST_SUITE_P(
    Replacements, WholeTextUndo,
    testing::Values(WholeTextCase{"clear",
                                  [](MainWindow& w, const std::string&) {
                                      w.controllers().documents.clearText();
                                  }},
                    WholeTextCase{"open",
                                  [](MainWindow& w, const std::string& dir) {
                                      const std::string path = dir + "/doc.rtf";
                                      std::ofstream(path) << "{\\rtf1 {\\b Bold} and plain\\par}";
                                      ASSERT_TRUE(test::OpenAndWait(w, path));
                                  }},
                    WholeTextCase{"paste",
                                  [](MainWindow& w, const std::string&) {
                                      w.editor()->selectAll();
                                      QApplication::clipboard()->setText(QStringLiteral("pasted"));
                                      w.controllers().documents.pasteFromClipboard();
                                  }},
                    WholeTextCase{"htmlToText",
                                  [](MainWindow& w, const std::string&) {
                                      w.controllers().documents.htmlToText();
                                  },
                                  QStringLiteral("<b>bold</b>")},
                    WholeTextCase{"dosToWindows",
                                  [](MainWindow& w, const std::string&) {
                                      w.controllers().documents.recodeDosToWindows();
                                  },
                                  QStringLiteral(" Ёлка")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowDocuments, typingAfterAnUndoneReplacementDropsItsRedo) {
    TextEditor* ed = w->editor();
    QTest::keyClicks(ed, QStringLiteral("mine"));
    w->controllers().documents.clearText();
    ed->undoStep();
    ASSERT_EQ(text(), QStringLiteral("mine"));
    QTest::keyClicks(ed, QStringLiteral("!"));
    ed->redoStep();  // nothing to redo: the clear belonged to the abandoned branch
    EXPECT_EQ(text(), QStringLiteral("mine!"));
}

TEST_F(WindowDocuments, undoDoesNothingWhileReading) {
    TextEditor* ed = w->editor();
    QTest::keyClicks(ed, QStringLiteral("mine"));
    w->controllers().documents.clearText();
    ed->setReadOnly(true);
    ed->undoStep();
    EXPECT_TRUE(text().isEmpty());
}

// A file dropped on the text or on the rest of the window opens as Open opens it; dropped
// text is still inserted where it falls.
TEST_F(WindowDocuments, droppedFilesOpenAndDroppedTextIsInserted) {
    const std::string path = file("dropped.txt", "Из файла");
    const struct {
        const char* name;
        std::function<QWidget*(MainWindow&)> target;
    } targets[] = {
        {"text", [](MainWindow& m) -> QWidget* { return m.editor()->viewport(); }},
        {"window", [](MainWindow& m) -> QWidget* { return &m; }},
    };
    // As a drag does: it enters, then drops.
    const auto drop = [](QWidget* on, QMimeData* data) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(on, &enter);
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(on, &event);
        return enter.isAccepted() && event.isAccepted();
    };
    for (const auto& t : targets) {
        w->editor()->setPlainText(QStringLiteral("before"));
        QSignalSpy finished(&w->controllers().documents, &DocumentCommands::openFinished);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        data.setText(QString::fromStdString(path));  // as file managers add
        EXPECT_TRUE(drop(t.target(*w), &data)) << t.name;
        ASSERT_TRUE(finished.wait(10000)) << t.name;
        EXPECT_EQ(text(), QStringLiteral("Из файла")) << t.name;
    }
    QMimeData words;
    words.setText(QStringLiteral("dropped words"));
    w->editor()->setPlainText(QString());
    drop(w->editor()->viewport(), &words);
    EXPECT_EQ(text(), QStringLiteral("dropped words"));
}

// Opening runs in the background: a second Open while the first runs takes its place, and
// only the second says it finished.
TEST_F(WindowDocuments, aSecondOpenCancelsTheFirst) {
    const std::string books = std::string(VERNALO_TEST_DATA) + "/books/";
    const std::string second = file("second.txt", "the second file");
    QSignalSpy finished(&w->controllers().documents, &DocumentCommands::openFinished);
    w->controllers().documents.openDocument(QString::fromStdString(books + "book.epub"));
    EXPECT_TRUE(w->controllers().documents.opening());
    w->controllers().documents.openDocument(QString::fromStdString(second));
    ASSERT_TRUE(test::WaitFor([&] { return !w->controllers().documents.opening(); }));
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished.first().at(0).toString(), QString::fromStdString(second));
    EXPECT_EQ(text(), QStringLiteral("the second file"));
    // Whatever the first reader still delivers is dropped.
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.size(), 1);
    EXPECT_EQ(text(), QStringLiteral("the second file"));
}

}  // namespace
}  // namespace vernalo
