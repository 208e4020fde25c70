// Autosave: the text is written once typing pauses, never in the middle of a burst, not more
// often than its gap, and a kill -9 at any moment leaves a whole file.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "app/autosavetexts.h"
#include "app/window/texteditor.h"
#include "documents/qt/documentio.h"
#include "savedtext.h"
#include "support/windowrig.h"
#include "text/fileio.h"

namespace vernalo {
namespace {

using namespace std::chrono_literals;

using test::SavedText;

class Autosaving : public testing::Test, protected test::WindowRig {
protected:
    void SetUp() override {
        MainWindow::Options o = options();
        o.autosave = {100ms, 400ms};
        w = &startWindow(std::move(o));
    }
    void type(const QString& text) {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w->editor(), &press);
        }
    }
    std::string textFile() const { return path("data/text.txt"); }

    MainWindow* w = nullptr;
};

TEST_F(Autosaving, writesOnlyOnceABurstOfTypingPausesThenNotBeforeItsGap) {
    QSignalSpy written(&w->controllers().persistence.autosave(), &Autosave::written);
    // Twenty keys, one every 30 ms: each comes before the text has been still for 100 ms.
    int typed = 0;
    QTimer keys;
    keys.setInterval(30);
    QObject::connect(&keys, &QTimer::timeout, [&] {
        type(QStringLiteral("a"));
        if (++typed == 20) keys.stop();
    });
    keys.start();
    ASSERT_TRUE(test::WaitFor([&] { return typed == 20; }));
    EXPECT_EQ(written.size(), 0) << "written during the burst";
    EXPECT_FALSE(w->controllers().persistence.textSaved());

    ASSERT_TRUE(test::WaitFor([&] { return written.size() == 1; }));
    QElapsedTimer sinceFirst;
    sinceFirst.start();
    EXPECT_TRUE(written[0][0].toBool());
    EXPECT_EQ(SavedText(textFile()), QString(20, u'a'));
    EXPECT_TRUE(w->controllers().persistence.textSaved());

    type(QStringLiteral("b"));
    ASSERT_TRUE(test::WaitFor([&] { return written.size() == 2; }));
    // Qt's coarse timers may fire up to 5 % early.
    EXPECT_GE(sinceFirst.elapsed(), 380);
    EXPECT_EQ(SavedText(textFile()), QString(20, u'a') + u'b');
}

TEST_F(Autosaving, closeDoesNotWriteAgainWhatIsAlreadySaved) {
    QSignalSpy written(&w->controllers().persistence.autosave(), &Autosave::written);
    type(QStringLiteral("saved"));
    ASSERT_TRUE(test::WaitFor([&] { return written.size() == 1; }));
    struct stat before {};
    ASSERT_EQ(stat(textFile().c_str(), &before), 0);
    w->close();
    struct stat after {};
    ASSERT_EQ(stat(textFile().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);  // a new write would have renamed a new file in
    EXPECT_EQ(SavedText(textFile()), QStringLiteral("saved"));
}

// A long document is copied a slice at a time before it is written: the file is the same as
// the one the close writes, lists and tables included.
TEST(AutosaveLongDocument, writesWhatTheCloseWouldWrite) {
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    for (int i = 0; i < 5000; ++i) {
        c.insertText(QStringLiteral("Paragraph %1 of a long book, ").arg(i));
        c.insertText(QStringLiteral("with bold words, "), bold);
        c.insertText(QStringLiteral("и русский текст.\n"), QTextCharFormat());
        if (i == 1500) {
            c.insertList(QTextListFormat::ListDecimal);
            for (int item = 0; item < 600; ++item)
                c.insertText(QStringLiteral("item %1\n").arg(item));
            c.setBlockFormat(centred);
        }
        if (i == 3000) {
            QTextTable* table = c.insertTable(300, 2);
            for (int cell = 0; cell < 600; ++cell) {
                table->cellAt(cell / 2, cell % 2)
                    .firstCursorPosition()
                    .insertText(QStringLiteral("cell %1").arg(cell));
            }
            c.movePosition(QTextCursor::End);
        }
    }
    ASSERT_GT(doc.characterCount(), 300'000);
    QTemporaryDir dir;
    const std::string path =
        QFile::encodeName(dir.filePath(QStringLiteral("data/text.txt"))).toStdString();
    Autosave save([&doc] { return &doc; }, path, {0ms, 0ms});
    QSignalSpy written(&save, &Autosave::written);
    save.changed();
    ASSERT_TRUE(test::WaitFor([&] { return written.size() == 1; }, 30000));
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    const QByteArray direct = DocumentToRtf(doc);
    EXPECT_TRUE(bytes ==
                std::string_view(direct.constData(), static_cast<std::size_t>(direct.size())))
        << bytes.size() << " bytes written, " << direct.size() << " expected";
}

// Kills the writer again and again at varying moments of its writes: the file is always one
// of the two texts, whole.
TEST(AutosaveKill, leavesTheOldOrTheNewFileNeverAMix) {
    const test::TempFolder folder;
    const std::string path = folder.path() + "/data/text.txt";
    const QString texts[] = {test::AutosaveText(false), test::AutosaveText(true)};
    QRandomGenerator random(14);
    for (int round = 0; round < 12; ++round) {
        QProcess writer;
        writer.start(QStringLiteral(VERNALO_AUTOSAVE_WRITER), {QString::fromStdString(path)});
        ASSERT_TRUE(writer.waitForStarted());
        // Past a few writes, then a little further into the next one.
        const int writes = 1 + round % 3;
        ASSERT_TRUE(test::WaitFor(
            [&] {
                writer.waitForReadyRead(10);
                return writer.peek(1 << 16).count("written 1") >= writes;
            },
            30000));
        QElapsedTimer into;
        into.start();
        const int ms = static_cast<int>(random.bounded(40));
        while (into.elapsed() < ms)
            writer.waitForReadyRead(1);
        ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
        ASSERT_TRUE(writer.waitForFinished());
        const QString saved = SavedText(path);
        EXPECT_TRUE(saved == texts[0] || saved == texts[1])
            << "round " << round << ": " << saved.size() << " characters";
    }
}

}  // namespace
}  // namespace vernalo
