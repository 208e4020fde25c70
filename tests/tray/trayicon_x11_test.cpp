// The tray component on a real X server with a real notification area (trayer), where there
// is a display; skipped without one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QProcess>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "tray/trayicon.h"

namespace vernalo {
namespace {

bool g_haveDisplay = false;

bool WaitTray(bool available, int ms = 10000) {
    return QTest::qWaitFor([&] { return QSystemTrayIcon::isSystemTrayAvailable() == available; },
                           ms);
}

// Waits until every event posted so far has been handled: what a minimize or a click set off
// (the component hides the window from a posted call) is then done.
bool PostedEventsHandled() {
    auto reached = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        qApp, [reached] { *reached = true; }, Qt::QueuedConnection);
    return QTest::qWaitFor([&] { return *reached; }, 5000);
}

// The icon widget the platform shows in the notification area.
QWidget* IconWidget() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("QSystemTrayIconSys") && w->isVisible()) return w;
    return nullptr;
}

class RealTray : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!g_haveDisplay || QSystemTrayIcon::isSystemTrayAvailable()) return;
        trayer_ = new QProcess;
        trayer_->start(QStringLiteral("trayer"),
                       {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                        QStringLiteral("right")});
        if (!trayer_->waitForStarted(5000)) return;
        WaitTray(true);
    }
    static void TearDownTestSuite() { stopTrayer(); }
    static void stopTrayer() {
        if (!trayer_) return;
        trayer_->terminate();
        if (!trayer_->waitForFinished(5000)) {
            trayer_->kill();
            trayer_->waitForFinished(5000);
        }
        delete trayer_;
        trayer_ = nullptr;
    }
    void SetUp() override {
        if (!g_haveDisplay) GTEST_SKIP() << "no X display";
        if (!QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "no notification area";
        window = std::make_unique<QMainWindow>();
        window->setWindowTitle(QStringLiteral("Vernalo 2.1"));
        window->resize(400, 300);
        tray = new TrayIcon(window.get());
        tray->setHint(QStringLiteral("Vernalo 2.0"));
        tray->loaded();
    }
    void minimize() {
        window->setWindowState(window->windowState() | Qt::WindowMinimized);
        ASSERT_TRUE(PostedEventsHandled());
    }

    static inline QProcess* trayer_ = nullptr;
    std::unique_ptr<QMainWindow> window;
    TrayIcon* tray = nullptr;
};

TEST_F(RealTray, minimizeShowsTheIconAndDoubleClickOnItRestoresTheMaximizedWindow) {
    window->showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    minimize();
    EXPECT_FALSE(window->isVisible());
    ASSERT_TRUE(tray->iconShown());
    QWidget* icon = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (icon = IconWidget()) != nullptr; }, 5000));
    EXPECT_EQ(tray->trayIcon()->toolTip(), QStringLiteral("Vernalo 2.0"));

    QTest::mouseClick(icon, Qt::LeftButton);
    QTest::mouseClick(icon, Qt::RightButton);
    ASSERT_TRUE(PostedEventsHandled());
    EXPECT_FALSE(window->isVisible()) << "single and right clicks do nothing";

    QTest::mouseDClick(icon, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }, 5000));
    EXPECT_FALSE(tray->iconShown());
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(window->windowState() & Qt::WindowMinimized);
}

// Runs last: it takes the notification area away.
TEST_F(RealTray, zWithoutTheAreaMinimizeMinimizesAndAHiddenWindowComesBack) {
    if (!trayer_) GTEST_SKIP() << "the notification area is not this test's to stop";
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    minimize();
    ASSERT_FALSE(window->isVisible());

    stopTrayer();
    ASSERT_TRUE(WaitTray(false));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }, 6000))
        << "the window must not stay hidden without an icon";
    EXPECT_FALSE(tray->iconShown());

    window->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    minimize();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(tray->iconShown());
}

}  // namespace
}  // namespace vernalo

int main(int argc, char** argv) {
    // Only with a reachable X server; otherwise every case skips on the offscreen platform.
    const char* display = std::getenv("DISPLAY");
    vernalo::g_haveDisplay = display && *display && std::system("xdpyinfo >/dev/null 2>&1") == 0;
    qputenv("QT_QPA_PLATFORM", vernalo::g_haveDisplay ? "xcb" : "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
