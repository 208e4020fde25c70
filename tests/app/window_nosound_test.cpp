// The window with the built-in voices and no sound server: Say refuses to read, saying why,
// and everything else keeps working.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>

#include "app/pages/speechpage.h"
#include "app/window/texteditor.h"
#include "support/accessible.h"
#include "support/windowrig.h"

namespace vernalo {
namespace {

// Before the application object is made, so the audio back end finds no server.
const bool g_noServer = [] { return setenv("PULSE_SERVER", "unix:/nonexistent", 1) == 0; }();

TEST(WindowWithoutSound, sayComesBackUpWithAMessageAndNothingIsRead) {
    ASSERT_TRUE(g_noServer);
    test::WindowRig rig;
    {
        MainWindow::Options o = rig.options();
        o.voices = {};  // the built-in engine on the audio device, which finds no server
        MainWindow& w = rig.startWindow(std::move(o));
        ASSERT_FALSE(w.findChild<SpeechPage*>()->soundProblem().isEmpty());
        w.editor()->setPlainText(QStringLiteral("Nothing is heard. Ничего не слышно."));
        auto* say = test::FindAccessible<QToolButton>(&w, "Say text/Pause");
        say->click();
        EXPECT_FALSE(say->isChecked());
        EXPECT_FALSE(w.controllers().reading.session().running());
        EXPECT_FALSE(w.editor()->isReadOnly());
        ASSERT_EQ(rig.messages.size(), 1u);
        EXPECT_TRUE(rig.messages[0].startsWith(QStringLiteral("No sound output is available")));
        EXPECT_TRUE(rig.messages[0].contains(QStringLiteral("sound server")));
        // The test buttons still work, silently.
        test::FindAccessible<QPushButton>(&w, "RU")->click();
        EXPECT_EQ(rig.messages.size(), 1u);
    }
}

}  // namespace
}  // namespace vernalo
