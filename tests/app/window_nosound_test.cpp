// The window with the built-in voices and no sound server: Say refuses to read, saying why,
// and everything else keeps working; once a server runs, the next Say is heard.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/pages/speechpage.h"
#include "app/window/texteditor.h"
#include "support/accessible.h"
#include "support/monitor.h"
#include "support/windowrig.h"

namespace vernalo {
namespace {

namespace fs = std::filesystem;

// Where the window looks for the sound server: nothing listens there until a test links the
// test services' server there.
const fs::path g_laterFolder =
    fs::temp_directory_path() / ("vernalo-later-" + std::to_string(getpid()));
const fs::path g_laterSocket = g_laterFolder / "native";

// Before the application object is made, so the audio back end finds no server.
const bool g_noServer = [] {
    return setenv("PULSE_SERVER", ("unix:" + g_laterSocket.string()).c_str(), 1) == 0;
}();

// The test services' sound server, whose sink is recorded.
fs::path ServicesSocket() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime ? fs::path(runtime) / "pulse" / "native" : fs::path();
}

class WindowWithoutSound : public testing::Test, protected test::WindowRig {
protected:
    void TearDown() override {
        window.reset();
        std::error_code ec;
        fs::remove_all(g_laterFolder, ec);
    }
    MainWindow& startWithoutServer() {
        MainWindow::Options o = options();
        o.voices = {};  // the built-in engine on the audio device, which finds no server
        return startWindow(std::move(o));
    }
};

TEST_F(WindowWithoutSound, sayComesBackUpWithAMessageAndNothingIsRead) {
    ASSERT_TRUE(g_noServer);
    MainWindow& w = startWithoutServer();
    ASSERT_FALSE(w.findChild<SpeechPage*>()->soundProblem().isEmpty());
    w.editor()->setPlainText(QStringLiteral("Nothing is heard. Ничего не слышно."));
    auto* say = test::FindAccessible<QToolButton>(&w, "Say text/Pause");
    say->click();
    EXPECT_FALSE(say->isChecked());
    EXPECT_FALSE(w.controllers().reading.session().running());
    EXPECT_FALSE(w.editor()->isReadOnly());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("No sound output is available")));
    EXPECT_TRUE(messages[0].contains(QStringLiteral("sound server")));
    EXPECT_TRUE(messages[0].endsWith(QStringLiteral("then press Say again.")));
    // The test buttons still work, silently.
    test::FindAccessible<QPushButton>(&w, "RU")->click();
    EXPECT_EQ(messages.size(), 1u);
}

// A sound server started after the window: the next Say is heard, with the speed chosen
// before, and no restart.
TEST_F(WindowWithoutSound, sayIsHeardOnceTheSoundServerRuns) {
    ASSERT_TRUE(g_noServer);
    if (!test::Monitor() || !fs::exists(ServicesSocket()))
        GTEST_SKIP() << "no test sound server (VERNALO_MONITOR, XDG_RUNTIME_DIR)";
    const test::SinkLock sink;
    ASSERT_TRUE(sink.held());
    MainWindow& w = startWithoutServer();
    auto* page = w.findChild<SpeechPage*>();
    ASSERT_FALSE(page->soundProblem().isEmpty());
    w.findChild<QSlider*>(QStringLiteral("englishSpeedBar"))->setValue(130);
    w.editor()->setPlainText(QStringLiteral("Now it is heard. Теперь слышно."));
    auto* say = test::FindAccessible<QToolButton>(&w, "Say text/Pause");
    say->click();
    ASSERT_FALSE(say->isChecked());
    ASSERT_EQ(messages.size(), 1u);

    // The server comes up where the window looks for it.
    fs::create_directories(g_laterFolder);
    fs::create_symlink(ServicesSocket(), g_laterSocket);
    const std::size_t before = test::MonitorSize();
    say->click();
    EXPECT_TRUE(say->isChecked());
    EXPECT_TRUE(page->soundProblem().isEmpty()) << page->soundProblem().toStdString();
    EXPECT_EQ(page->speed(Language::English), 130);
    EXPECT_TRUE(test::WaitFor([&] { return !say->isChecked(); }, 20000));
    test::WaitFor([&] { return !w.controllers().reading.session().speaking(); }, 5000);
    EXPECT_EQ(messages.size(), 1u);
    // The recorder lags behind the sink: wait until it has caught up with the reading.
    const auto heard = test::RecordingUntilQuiet(before, std::chrono::milliseconds(300), true);
    ASSERT_TRUE(heard) << "the recording is silent";
    EXPECT_GT(test::LoudSeconds(*heard), 1.0) << "too little audio recorded";
}

}  // namespace
}  // namespace vernalo
