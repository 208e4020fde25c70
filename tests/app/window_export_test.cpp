// Export audio in the window: what it exports, and that the window goes on meanwhile.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "app/process/translation.h"
#include "app/window/texteditor.h"
#include "support/soundfile.h"
#include "support/windowrig.h"
#include "text/fileio.h"

namespace vernalo {
namespace {

namespace fs = std::filesystem;

// Seconds of sound in a file, 0 when it does not decode.
double Seconds(const std::string& path) {
    return test::Decode(path).seconds();
}

class WindowExport : public testing::Test, protected test::WindowRig {
protected:
    void SetUp() override {
        fs::create_directory(out);
        // Voices that cannot write files: the built-in ones read instead.
        modes = {{u"Russian", u"Service Anna"}, {u"English", u"Service Bob"}};
        startWindow();
    }
    double exportAudio(const QString& text, long selectFrom, long selectLength, const char* name) {
        window->editor()->setPlainText(text);
        window->editor()->select(selectFrom, selectLength);
        const std::string path = out + "/" + name;
        EXPECT_TRUE(window->controllers().exports.startExport(QString::fromStdString(path), 0));
        EXPECT_TRUE(
            test::WaitFor([&] { return !window->controllers().exports.exporting(); }, 20000));
        return Seconds(path);
    }
    QString activity() { return window->statusText(StatusPanel::Activity); }

    const std::string out = path("out");
};

// The note about voices that cannot write files names the languages in the window's own
// language, as the rest of the note is.
TEST_F(WindowExport, theNoteNamesTheLanguagesInRussian) {
    ASSERT_TRUE(InstallTranslations(QLocale(QLocale::Russian, QLocale::Russia)));
    exportAudio(QStringLiteral("Hello there."), 0, 0, "note.wav");
    const QString note = activity();
    RemoveTranslations();
    EXPECT_TRUE(note.contains(QStringLiteral("«русский»"))) << note.toStdString();
    EXPECT_TRUE(note.contains(QStringLiteral("«английский»"))) << note.toStdString();
}

// A text long enough to export for a while.
QString Book(int sentences) {
    QString book;
    for (int i = 0; i < sentences; ++i)
        book += QStringLiteral("This sentence is one of many in a long book. ");
    return book;
}

TEST_F(WindowExport, selectionAloneIsExported) {
    const QString first = QStringLiteral("Hello there, my friend.");
    const double alone = exportAudio(first, 0, 0, "alone.wav");
    const double selected =
        exportAudio(first + QStringLiteral(" Привет, друг. And a third sentence after it."), 0,
                    first.size(), "selected.wav");
    const double whole = exportAudio(first + QStringLiteral(" Привет, друг. And a third sentence."),
                                     0, 0, "whole.wav");
    ASSERT_GT(alone, 1.0);
    EXPECT_NEAR(selected, alone, 0.02 * alone);
    EXPECT_GT(whole, 2 * alone);
    EXPECT_TRUE(activity().startsWith(QStringLiteral("Exported to ") +
                                      QString::fromStdString(out + "/whole.wav")))
        << activity().toStdString();
    EXPECT_TRUE(activity().contains(QStringLiteral("Service Bob cannot write files")))
        << activity().toStdString();
    EXPECT_TRUE(messages.empty());
}

TEST_F(WindowExport, progressMovesTheWindowAnswersAndEscLeavesNoFile) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->editor()->setPlainText(Book(400));
    std::set<int> values;
    QObject::connect(window->findChild<QProgressBar*>(QStringLiteral("progressBar")),
                     &QProgressBar::valueChanged, [&](int v) { values.insert(v); });
    ASSERT_TRUE(
        window->controllers().exports.startExport(QString::fromStdString(out + "/book.mp3"), 0));
    EXPECT_EQ(activity(), QStringLiteral("Exporting book.mp3..."));
    auto* cancel = window->findChild<QPushButton*>(QStringLiteral("cancelExportButton"));
    ASSERT_NE(cancel, nullptr);
    EXPECT_TRUE(cancel->isVisibleTo(window.get()));
    EXPECT_FALSE(
        window->controllers().exports.startExport(QString::fromStdString(out + "/second.mp3"), 0));
    ASSERT_TRUE(test::WaitFor(
        [&] { return values.size() >= 3 || !window->controllers().exports.exporting(); }, 20000));
    // Typing goes on while the copy is exported.
    window->editor()->moveCursor(QTextCursor::Start);
    QTest::keyClicks(window->editor(), QStringLiteral("Typed "));
    EXPECT_TRUE(window->editor()->toPlainText().startsWith(QStringLiteral("Typed ")));
    ASSERT_TRUE(window->controllers().exports.exporting())
        << "the export ended before it could be cancelled";
    QTest::keyClick(window.get(), Qt::Key_Escape);
    ASSERT_TRUE(test::WaitFor([&] { return !window->controllers().exports.exporting(); }, 20000));
    EXPECT_EQ(activity(), QStringLiteral("Export cancelled"));
    EXPECT_FALSE(cancel->isVisibleTo(window.get()));
    EXPECT_GE(values.size(), 3u);
    EXPECT_TRUE(fs::is_empty(out));
}

// The dialog offers the formats, the split and subtitles; a name without a suffix takes the
// chosen format. Each file gets its subtitles, timed from its own start.
TEST_F(WindowExport, dialogTakesTheChosenFormatAndSplit) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->editor()->setPlainText(Book(40));
    QStringList filters;
    QTimer::singleShot(0, [&] {
        auto* dialog = window->findChild<QFileDialog*>(QStringLiteral("exportDialog"));
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        dialog->selectNameFilter(filters[3]);
        emit dialog->filterSelected(filters[3]);
        dialog->findChild<QSpinBox*>(QStringLiteral("splitMinutes"))->setValue(1);
        dialog->findChild<QCheckBox*>(QStringLiteral("writeSubtitles"))->setChecked(true);
        dialog->findChild<QComboBox*>(QStringLiteral("subtitleFormat"))->setCurrentIndex(1);
        dialog->selectFile(QString::fromStdString(out + "/book"));
        static_cast<QDialog*>(dialog)->accept();
    });
    QTest::keySequence(window.get(), QKeySequence(Qt::CTRL | Qt::Key_E));
    EXPECT_EQ(filters,
              QStringList({QStringLiteral("MP3 (*.mp3)"), QStringLiteral("Ogg Opus (*.opus)"),
                           QStringLiteral("Ogg Vorbis (*.ogg)"), QStringLiteral("FLAC (*.flac)"),
                           QStringLiteral("M4B (*.m4b)"), QStringLiteral("WAV (*.wav)")}));
    ASSERT_TRUE(test::WaitFor([&] { return !window->controllers().exports.exporting(); }, 20000));
    EXPECT_GT(Seconds(out + "/book-01.flac"), 60.0);
    EXPECT_GT(Seconds(out + "/book-02.flac"), 1.0);
    for (const char* name : {"/book-01.vtt", "/book-02.vtt"}) {
        std::string subtitles;
        EXPECT_TRUE(ReadWholeFile(out + name, subtitles)) << name;
        EXPECT_TRUE(subtitles.starts_with("WEBVTT\n\n00:00:00.")) << name;
    }
    EXPECT_TRUE(activity().startsWith(QStringLiteral("Exported to "))) << activity().toStdString();
}

// One file per chapter from the dialog: the book's top-level headings, the title page before
// them in a file of its own, and a playlist; a selection is cut by the chapters it holds.
TEST_F(WindowExport, byChapterFollowsTheBooksHeadings) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->controllers().documents.openDocument(
        QStringLiteral(VERNALO_TEST_DATA "/books/book.fb2"));
    ASSERT_TRUE(test::WaitFor([&] { return !window->controllers().documents.opening(); }));
    QTimer::singleShot(0, [&] {
        auto* dialog = window->findChild<QFileDialog*>(QStringLiteral("exportDialog"));
        ASSERT_NE(dialog, nullptr);
        // Offered in the book's folder, under its title.
        EXPECT_EQ(QFileInfo(dialog->directory().absolutePath()),
                  QFileInfo(QStringLiteral(VERNALO_TEST_DATA "/books")));
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), QStringLiteral("Весна в городе"));
        auto* chapters = dialog->findChild<QCheckBox*>(QStringLiteral("splitChapters"));
        ASSERT_NE(chapters, nullptr);
        chapters->setChecked(true);
        EXPECT_FALSE(dialog->findChild<QSpinBox*>(QStringLiteral("splitMinutes"))->isEnabled());
        dialog->selectFile(QString::fromStdString(out + "/book.wav"));
        static_cast<QDialog*>(dialog)->accept();
    });
    QTest::keySequence(window.get(), QKeySequence(Qt::CTRL | Qt::Key_E));
    ASSERT_TRUE(test::WaitFor([&] { return !window->controllers().exports.exporting(); }, 20000));
    for (const char* name : {"01 - Весна в городе.wav", "02 - Глава первая_ Spring.wav",
                             "03 - Глава вторая_ Evening.wav", "book.m3u"})
        EXPECT_TRUE(fs::exists(out + "/" + name)) << name;
    EXPECT_EQ(test::Decode(out + "/02 - Глава первая_ Spring.wav").title, "Глава первая: Spring");
    EXPECT_TRUE(activity().contains(QStringLiteral("Playlist: "))) << activity().toStdString();

    const QString text = window->editor()->toPlainText();
    const int last = static_cast<int>(text.indexOf(QStringLiteral("Глава вторая")));
    window->editor()->select(last, text.size() - last);
    const std::string dir = out + "/part";
    fs::create_directory(dir);
    ASSERT_TRUE(window->controllers().exports.startExport(QString::fromStdString(dir + "/part.wav"),
                                                          0, true));
    ASSERT_TRUE(test::WaitFor([&] { return !window->controllers().exports.exporting(); }, 20000));
    EXPECT_TRUE(fs::exists(dir + "/01 - Глава вторая_ Evening.wav"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

// A read-along book is the whole document, whatever is selected; the folder its audio is made
// in goes when it is written.
TEST_F(WindowExport, readAlongBookLeavesTheBookAlone) {
    window->editor()->setPlainText(QStringLiteral("Hello there. Привет, друг."));
    window->editor()->select(0, 5);
    const std::string book = out + "/book.epub";
    ASSERT_TRUE(window->controllers().exports.startBook(QString::fromStdString(book)));
    ASSERT_TRUE(test::WaitFor([&] { return !window->controllers().exports.exporting(); }, 20000));
    EXPECT_TRUE(
        activity().startsWith(QStringLiteral("Exported to ") + QString::fromStdString(book)))
        << activity().toStdString();
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
}

// One file with chapter marks from the dialog: the other way of taking chapters goes off, one
// file and no playlist come out; a format without marks is refused with a message.
TEST_F(WindowExport, chapterMarksMakeOneFileOrARefusal) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->controllers().documents.openDocument(
        QStringLiteral(VERNALO_TEST_DATA "/books/book.fb2"));
    ASSERT_TRUE(test::WaitFor([&] { return !window->controllers().documents.opening(); }));
    QTimer::singleShot(0, [&] {
        auto* dialog = window->findChild<QFileDialog*>(QStringLiteral("exportDialog"));
        ASSERT_NE(dialog, nullptr);
        auto* chapters = dialog->findChild<QCheckBox*>(QStringLiteral("splitChapters"));
        auto* marks = dialog->findChild<QCheckBox*>(QStringLiteral("chapterMarks"));
        ASSERT_TRUE(chapters && marks);
        chapters->setChecked(true);
        marks->setChecked(true);
        EXPECT_FALSE(chapters->isChecked());
        EXPECT_FALSE(dialog->findChild<QSpinBox*>(QStringLiteral("splitMinutes"))->isEnabled());
        dialog->selectFile(QString::fromStdString(out + "/book.flac"));
        static_cast<QDialog*>(dialog)->accept();
    });
    // The status names the chapter being written.
    QStringList shown;
    QObject::connect(window->findChild<QProgressBar*>(QStringLiteral("progressBar")),
                     &QProgressBar::valueChanged, [&] { shown << activity(); });
    QTest::keySequence(window.get(), QKeySequence(Qt::CTRL | Qt::Key_E));
    ASSERT_TRUE(test::WaitFor([&] { return !window->controllers().exports.exporting(); }, 20000));
    EXPECT_TRUE(shown.contains(QStringLiteral("Exporting book.flac: Глава вторая: Evening...")))
        << shown.join(u'|').toStdString();
    EXPECT_TRUE(fs::exists(out + "/book.flac"));
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);

    EXPECT_FALSE(window->controllers().exports.startExport(
        QString::fromStdString(out + "/book.wav"), 0, false, true));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("WAV files cannot hold chapter marks")))
        << messages[0].toStdString();
}

TEST_F(WindowExport, unwritableFileGivesAMessageNamingIt) {
    const std::string path = out + "/missing/book.flac";
    window->editor()->setPlainText(QStringLiteral("Hello."));
    ASSERT_TRUE(window->controllers().exports.startExport(QString::fromStdString(path), 0));
    ASSERT_TRUE(test::WaitFor([&] { return !window->controllers().exports.exporting(); }, 20000));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QString::fromStdString(path) +
                                     QStringLiteral("': No such file or directory")))
        << messages[0].toStdString();
}

}  // namespace
}  // namespace vernalo
