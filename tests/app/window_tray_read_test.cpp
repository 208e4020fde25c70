// The window taking texts from other programs on a real X server with a notification area
// (trayer): a text read while the window is hidden in the notification area leaves it there,
// one read while it shows brings it forward, and either is one Ctrl+Z away from the earlier
// text; with "Read what I copy" on, Vernalo's own copies are not read. Skipped without a
// display. Also the shortcut command Help > Read from other programs shows.

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTest>
#include <cstdlib>

#include "app/controllers/textfromoutside.h"
#include "app/dialogs/readfromothers.h"
#include "support/windowrig.h"

namespace vernalo {
namespace {

bool g_haveDisplay = false;

QAction* MenuItem(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions())
        if (a->text() == text) return a;
    return nullptr;
}

class TrayRead : public test::WindowRig, public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!g_haveDisplay || QSystemTrayIcon::isSystemTrayAvailable()) return;
        trayer_ = new QProcess;
        trayer_->start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("top")});
        if (trayer_->waitForStarted(5000))
            test::WaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); });
    }
    static void TearDownTestSuite() {
        if (!trayer_) return;
        trayer_->terminate();
        if (!trayer_->waitForFinished(5000)) trayer_->kill();
        trayer_->waitForFinished(5000);
        delete trayer_;
        trayer_ = nullptr;
    }
    void SetUp() override {
        if (!g_haveDisplay) GTEST_SKIP() << "no X display";
        if (!QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "no notification area";
        write("data/text.txt", "old text\r\n");
        startWindow();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    // Starts a reading of `expected` from another program; waits until the editor holds it
    // and a voice has begun, and tells how many texts were taken meanwhile.
    int readFrom(const std::function<void()>& start, const QString& expected) {
        int taken = 0;
        const QMetaObject::Connection c =
            QObject::connect(&controllers().outside, &TextFromOutside::textTaken, [&] { ++taken; });
        start();
        EXPECT_TRUE(test::WaitFor([&] {
            return text() == expected && (!ruVoice->spoken.empty() || !enVoice->spoken.empty());
        }));
        QObject::disconnect(c);
        return taken;
    }
    QString text() const { return window->editor()->toPlainText().trimmed(); }

    static inline QProcess* trayer_ = nullptr;
};

TEST_F(TrayRead, fromTheTrayMenuTheWindowStaysHiddenAndCtrlZBringsTheTextBack) {
    window->setWindowState(window->windowState() | Qt::WindowMinimized);
    ASSERT_TRUE(test::WaitFor([&] { return !window->isVisible(); }));
    auto* menu = window->findChild<QMenu*>(QStringLiteral("trayMenu"));
    ASSERT_NE(menu, nullptr);
    QApplication::clipboard()->setText(QStringLiteral("Copied words to hear."));
    QAction* readClipboard = MenuItem(menu, QStringLiteral("Read &clipboard"));
    ASSERT_NE(readClipboard, nullptr);
    EXPECT_EQ(readFrom([&] { readClipboard->trigger(); }, QStringLiteral("Copied words to hear.")),
              1);
    EXPECT_FALSE(window->isVisible());
    window->editor()->undoStep();
    EXPECT_EQ(text(), QStringLiteral("old text"));
}

TEST_F(TrayRead, aShownWindowComesForwardAndCtrlZBringsTheTextBack) {
    const QString words = QStringLiteral("Words from elsewhere.");
    EXPECT_EQ(readFrom([&] { controllers().outside.readText(words); }, words), 1);
    EXPECT_TRUE(window->isVisible());
    window->editor()->undoStep();
    EXPECT_EQ(text(), QStringLiteral("old text"));
}

// Copying in the editor is editing: with "Read what I copy" on, only another program's copy
// is read (xclip's, which comes after Vernalo's own).
TEST_F(TrayRead, readWhatICopySkipsVernalosOwnCopies) {
    if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
        GTEST_SKIP() << "xclip is not installed";
    controllers().outside.readCopiedAction()->setChecked(true);
    window->editor()->selectAll();
    window->editor()->copy();
    QProcess xclip;
    const int taken = readFrom(
        [&] {
            xclip.start(QStringLiteral("xclip"),
                        {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                         QStringLiteral("clipboard")});
            xclip.write("Copied in another program.");
            xclip.closeWriteChannel();
        },
        QStringLiteral("Copied in another program."));
    EXPECT_EQ(taken, 1);
    window->editor()->undoStep();
    EXPECT_EQ(text(), QStringLiteral("old text"));
    xclip.kill();
    xclip.waitForFinished();
}

// The command Help > Read from other programs gives for a keyboard shortcut: the program by
// its name when the path finds it, and a change into any data folder but the usual one, quoted
// for the shell whatever the folder's name holds.
TEST(ShortcutCommand, namesTheProgramAndAnyFolderButTheUsualOne) {
    struct Case {
        const char* folder;
        const char* program;
        bool onPath;
        const char* command;
    } const cases[] = {
        {"/home/u/.local/share/vernalo", "/usr/bin/vernalo", true, "vernalo --read-selection"},
        {"/home/u/.local/share/vernalo/", "/opt/v 2/vernalo", false,
         "'/opt/v 2/vernalo' --read-selection"},
        {"/media/stick/Vernalo", "/usr/bin/vernalo", true,
         "sh -c 'cd /media/stick/Vernalo && exec vernalo --read-selection'"},
        {"/home/u/Anna's texts", "/usr/bin/vernalo", true,
         R"(sh -c 'cd '\''/home/u/Anna'\''\'\'''\''s texts'\'' && exec vernalo --read-selection')"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadFromOthersDialog::ShortcutCommand(
                      QString::fromUtf8(c.folder), QStringLiteral("/home/u/.local/share/vernalo"),
                      QString::fromUtf8(c.program), c.onPath),
                  QString::fromUtf8(c.command))
            << c.folder;
}

}  // namespace
}  // namespace vernalo

int main(int argc, char** argv) {
    // Only with a reachable X server; otherwise every case skips on the offscreen platform.
    const char* display = std::getenv("DISPLAY");
    vernalo::g_haveDisplay = display && *display && std::system("xdpyinfo >/dev/null 2>&1") == 0;
    qputenv("QT_QPA_PLATFORM", vernalo::g_haveDisplay ? "xcb" : "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
