// Scans and pictures opened or pasted into the window: their recognised text in the editor,
// pages shown as they are done (and read while the rest is recognised), and a recognition
// stopped by Open, Clear or closing the window leaving the text as it was. Label "ocr": the
// engine takes seconds a page.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QToolButton>

#include "support/accessible.h"
#include "support/casename.h"
#include "support/windowrig.h"

namespace vernalo {
namespace {

const std::string kOcr = std::string(VERNALO_TEST_DATA) + "/ocr/";
// A page takes 5-20 s on a busy machine; a whole file several.
constexpr int kRecognitionMs = 300'000;

class WindowRecognition : public testing::Test, public test::WindowRig {
protected:
    void SetUp() override { w = &startWindow(); }
    QString text() const { return w->editor()->toPlainText(); }
    DocumentCommands& documents() { return w->controllers().documents; }
    void open(const std::string& file) {
        documents().openDocument(QString::fromStdString(kOcr + file));
    }
    bool waitUntilOpened() {
        return test::WaitFor([&] { return !documents().opening(); }, kRecognitionMs);
    }

    MainWindow* w = nullptr;
};

struct ScanCase {
    const char* name;
    const char* file;
    std::vector<const char*> phrases;
};

void PrintTo(const ScanCase& c, std::ostream* os) {
    *os << c.file;
}

class WindowOpensScans : public WindowRecognition, public testing::WithParamInterface<ScanCase> {};

TEST_P(WindowOpensScans, showsTheirTextAsOneStepUndoTakesBack) {
    w->editor()->setPlainText(QStringLiteral("before"));
    open(GetParam().file);
    ASSERT_TRUE(waitUntilOpened());
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? std::string() : messages[0].toStdString());
    for (const char* phrase : GetParam().phrases)
        EXPECT_TRUE(text().contains(QString::fromUtf8(phrase))) << phrase << "\n"
                                                                << text().toStdString();
    EXPECT_EQ(w->statusText(StatusPanel::Activity).trimmed(), QString());
    w->editor()->undoStep();
    EXPECT_EQ(text(), QStringLiteral("before"));
}

INSTANTIATE_TEST_SUITE_P(
    , WindowOpensScans,
    testing::Values(
        ScanCase{
            "imageOnlyPdf",
            "scan-300.pdf",
            {"Vernalo reads a text aloud in Russian and English", "Вернало читает текст вслух"}},
        ScanCase{"png", "mixed-300.png", {"Pronunciation dictionaries", "Привет, мир!"}},
        ScanCase{"jpeg", "mixed-300.jpg", {"Pronunciation dictionaries", "Привет, мир!"}},
        ScanCase{
            "twoPageTiff", "pages-300.tif", {"language learners", "Программа сделана для тех"}}),
    test::CaseName);

// Say reads the first page while the others are still recognised; it stops at the end of
// what is there.
TEST_F(WindowRecognition, saysTheFirstPageWhileTheRestIsRecognised) {
    w->show();
    open("three-pages.tif");
    ASSERT_TRUE(test::WaitFor([&] { return !text().isEmpty(); }, kRecognitionMs));
    ASSERT_TRUE(documents().opening());
    EXPECT_TRUE(
        w->statusText(StatusPanel::Activity).startsWith(QStringLiteral("Recognising page ")))
        << w->statusText(StatusPanel::Activity).toStdString();
    test::FindAccessible<QToolButton>(w, "Say text/Pause")->click();
    ASSERT_TRUE(test::WaitFor([&] { return !enVoice->spoken.empty(); }));
    EXPECT_TRUE(documents().opening());
    ASSERT_TRUE(waitUntilOpened());
    EXPECT_TRUE(text().contains(QStringLiteral("Вернало читает"))) << text().toStdString();
    EXPECT_EQ(text().count(QStringLiteral("Vernalo reads")), 2);
}

struct CancelCase {
    const char* name;
    std::function<void(WindowRecognition&, MainWindow&)> cancel;
    // The editor's text just after, and after one undo.
    QString after;
    QString undone;
};

void PrintTo(const CancelCase& c, std::ostream* os) {
    *os << c.name;
}

class RecognitionCancelled : public WindowRecognition,
                             public testing::WithParamInterface<CancelCase> {};

// Stopped with pages shown: they go, and the text before them is back.
TEST_P(RecognitionCancelled, leavesTheTextAsItWas) {
    w->editor()->setPlainText(QStringLiteral("before"));
    open("three-pages.tif");
    ASSERT_TRUE(test::WaitFor([&] { return text() != QStringLiteral("before"); }, kRecognitionMs));
    ASSERT_TRUE(documents().opening());
    GetParam().cancel(*this, *w);
    EXPECT_FALSE(documents().opening());
    EXPECT_EQ(text(), GetParam().after);
    EXPECT_EQ(w->statusText(StatusPanel::Activity).trimmed(), QString());
    // Nothing more comes.
    test::WaitFor([] { return false; }, 500);
    EXPECT_EQ(text(), GetParam().after);
    w->editor()->undoStep();
    EXPECT_EQ(text(), GetParam().undone);
}

INSTANTIATE_TEST_SUITE_P(
    , RecognitionCancelled,
    testing::Values(
        CancelCase{"byClear",
                   [](WindowRecognition&, MainWindow& m) { m.controllers().documents.clearText(); },
                   QString(), QStringLiteral("before")},
        CancelCase{"byAnotherOpen",
                   [](WindowRecognition& t, MainWindow& m) {
                       const std::string other = t.write("other.txt", "other text");
                       m.controllers().documents.openDocument(QString::fromStdString(other));
                       test::WaitFor([&] { return !m.controllers().documents.opening(); });
                   },
                   QStringLiteral("other text"), QStringLiteral("before")}),
    test::CaseName);

TEST_F(WindowRecognition, closingTheWindowSavesTheTextFromBefore) {
    w->editor()->setPlainText(QStringLiteral("before"));
    open("three-pages.tif");
    ASSERT_TRUE(test::WaitFor([&] { return text() != QStringLiteral("before"); }, kRecognitionMs));
    close();
    const std::string saved = read("data/text.txt");
    EXPECT_NE(saved.find("{before}"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("Vernalo"), std::string::npos) << saved;
}

// A screenshot on the clipboard, with no text beside it: its text goes in at the caret.
TEST_F(WindowRecognition, pasteOfAnImageRecognisesIt) {
    w->editor()->setPlainText(QStringLiteral("Pasted: "));
    w->editor()->moveCursor(QTextCursor::End);
    auto* data = new QMimeData;
    data->setImageData(QImage(QString::fromStdString(kOcr + "screenshot.bmp")));
    QApplication::clipboard()->setMimeData(data);
    documents().pasteFromClipboard();
    ASSERT_TRUE(waitUntilOpened());
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? std::string() : messages[0].toStdString());
    EXPECT_TRUE(text().startsWith(QStringLiteral("Pasted: Vernalo reads a text aloud.")))
        << text().toStdString();
    EXPECT_TRUE(text().contains(QStringLiteral("Привет, мир!"))) << text().toStdString();
    EXPECT_TRUE(w->controllers().persistence.textChanged());
    w->editor()->undoStep();
    EXPECT_EQ(text(), QStringLiteral("Pasted: "));
}

}  // namespace
}  // namespace vernalo
