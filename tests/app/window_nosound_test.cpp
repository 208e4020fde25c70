// The window with the built-in voices and no sound server: Say refuses to read, saying why,
// and everything else keeps working.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>

#include "app/pages/speechpage.h"
#include "app/window/mainwindow.h"
#include "support/accessible.h"

namespace vernalo {
namespace {

// Before the application object is made, so the audio back end finds no server.
const bool g_noServer = [] { return setenv("PULSE_SERVER", "unix:/nonexistent", 1) == 0; }();

TEST(WindowWithoutSound, sayComesBackUpWithAMessageAndNothingIsRead) {
    ASSERT_TRUE(g_noServer);
    char tmpl[] = "/tmp/vernalo_nosound_XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    std::vector<QString> messages;
    {
        MainWindow::Options o;
        o.baseDir = dir;
        o.showMessages = false;
        MainWindow w(o);
        w.onMessage = [&](const QString& m) { messages.push_back(m); };
        w.startUp();
        ASSERT_FALSE(w.findChild<SpeechPage*>()->soundProblem().isEmpty());
        w.editor()->setPlainText(QStringLiteral("Nothing is heard. Ничего не слышно."));
        auto* say = test::FindAccessible<QToolButton>(&w, "Say text/Pause");
        say->click();
        EXPECT_FALSE(say->isChecked());
        EXPECT_FALSE(w.session().running());
        EXPECT_FALSE(w.editor()->isReadOnly());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].startsWith(QStringLiteral("No sound output is available")));
        EXPECT_TRUE(messages[0].contains(QStringLiteral("sound server")));
        // The test buttons still work, silently.
        test::FindAccessible<QPushButton>(&w, "RU")->click();
        EXPECT_EQ(messages.size(), 1u);
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vernalo
