// The tray component's behaviour on the offscreen platform, with the notification area's
// presence decided by the test.
#include "tray/trayicon.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QPointer>
#include <QTest>
#include <memory>

#include "support/casename.h"

namespace vernalo {
namespace {

struct TrayWindow {
    std::unique_ptr<QMainWindow> window = std::make_unique<QMainWindow>();
    TrayIcon* tray = nullptr;
    bool available = true;

    explicit TrayWindow(Qt::WindowStates state = Qt::WindowNoState) {
        window->setWindowTitle(QStringLiteral("Vernalo 2.1"));
        tray = new TrayIcon(window.get());
        tray->setHint(QStringLiteral("Vernalo 2.0"));
        tray->trayAvailable = [this] { return available; };
        tray->loaded();
        window->setWindowState(state);
        window->show();
        QCoreApplication::processEvents();
    }
    void minimize() {
        window->setWindowState(window->windowState() | Qt::WindowMinimized);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    void click(QSystemTrayIcon::ActivationReason reason) {
        ASSERT_NE(tray->trayIcon(), nullptr);
        emit tray->trayIcon()->activated(reason);
        QCoreApplication::processEvents();
    }
};

class RestoredState : public testing::TestWithParam<Qt::WindowState> {};

TEST_P(RestoredState, minimizeHidesToIconAndDoubleClickBringsBackTheSameState) {
    TrayWindow w(GetParam());
    w.minimize();
    EXPECT_FALSE(w.window->isVisible());
    EXPECT_TRUE(w.tray->iconShown());
    ASSERT_NE(w.tray->trayIcon(), nullptr);
    EXPECT_TRUE(w.tray->trayIcon()->isVisible());
    EXPECT_EQ(w.tray->trayIcon()->toolTip(), QStringLiteral("Vernalo 2.0"));

    w.click(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(w.window->isVisible());
    EXPECT_FALSE(w.tray->iconShown());
    EXPECT_FALSE(w.tray->trayIcon()->isVisible());
    EXPECT_FALSE(w.window->windowState() & Qt::WindowMinimized);
    EXPECT_EQ(w.window->windowState() & Qt::WindowMaximized, GetParam() & Qt::WindowMaximized);

    // And again: the component goes on working after a round trip.
    w.minimize();
    EXPECT_FALSE(w.window->isVisible());
    w.click(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(w.window->isVisible());
    EXPECT_EQ(w.window->windowState() & Qt::WindowMaximized, GetParam() & Qt::WindowMaximized);

    // A second start of the program brings it back the same way.
    w.minimize();
    w.tray->restore();
    EXPECT_TRUE(w.window->isVisible());
    EXPECT_FALSE(w.tray->iconShown());
    EXPECT_EQ(w.window->windowState() & Qt::WindowMaximized, GetParam() & Qt::WindowMaximized);
}

INSTANTIATE_TEST_SUITE_P(States, RestoredState,
                         testing::Values(Qt::WindowNoState, Qt::WindowMaximized),
                         [](const testing::TestParamInfo<Qt::WindowState>& info) {
                             return std::string(info.param == Qt::WindowMaximized ? "maximized"
                                                                                  : "normal");
                         });

struct ClickCase {
    const char* name;
    QSystemTrayIcon::ActivationReason reason;
};
void PrintTo(const ClickCase& c, std::ostream* os) {
    *os << c.name;
}

class OtherClicks : public testing::TestWithParam<ClickCase> {};

TEST_P(OtherClicks, leaveTheWindowHidden) {
    TrayWindow w;
    w.minimize();
    w.click(GetParam().reason);
    EXPECT_FALSE(w.window->isVisible());
    EXPECT_TRUE(w.tray->iconShown());
}

INSTANTIATE_TEST_SUITE_P(Clicks, OtherClicks,
                         testing::Values(ClickCase{"single", QSystemTrayIcon::Trigger},
                                         ClickCase{"context", QSystemTrayIcon::Context},
                                         ClickCase{"middle", QSystemTrayIcon::MiddleClick},
                                         ClickCase{"unknown", QSystemTrayIcon::Unknown}),
                         test::CaseName);

struct TipCase {
    const char* name;
    QString hint, caption, tip;
};
void PrintTo(const TipCase& c, std::ostream* os) {
    *os << c.name;
}

class Tips : public testing::TestWithParam<TipCase> {};

TEST_P(Tips, hintOrCaptionCutTo63Characters) {
    const TipCase& c = GetParam();
    TrayWindow w;
    w.window->setWindowTitle(c.caption);
    w.tray->setHint(c.hint);
    w.minimize();
    ASSERT_NE(w.tray->trayIcon(), nullptr);
    EXPECT_EQ(w.tray->trayIcon()->toolTip(), c.tip);
    EXPECT_LE(w.tray->trayIcon()->toolTip().size(), TrayIcon::kMaxTipLength);
}

const QString k70 = QString(63, QLatin1Char('h')) + QStringLiteral("1234567");
const QString kCaption70 = QString(63, QLatin1Char('c')) + QStringLiteral("1234567");
// A pair of UTF-16 units (an emoji) straddling the limit is dropped whole.
const QString kPairAtLimit = QString(62, QLatin1Char('p')) + QString::fromUtf8("\xF0\x9F\x98\x80");

INSTANTIATE_TEST_SUITE_P(
    Texts, Tips,
    testing::Values(
        TipCase{"hint70", k70, QStringLiteral("Vernalo"), k70.left(63)},
        TipCase{"hint63", k70.left(63), QStringLiteral("Vernalo"), k70.left(63)},
        TipCase{"emptyHintUsesCaption", QString(), QStringLiteral("Vernalo 2.1"),
                QStringLiteral("Vernalo 2.1")},
        TipCase{"emptyHintLongCaption", QString(), kCaption70, kCaption70.left(63)},
        TipCase{"russianHint", QStringLiteral("Читалка"), QString(), QStringLiteral("Читалка")},
        TipCase{"surrogatePairAtLimit", kPairAtLimit, QString(), kPairAtLimit.left(62)}),
    [](const testing::TestParamInfo<TipCase>& info) { return std::string(info.param.name); });

TEST(TrayHint, changeShowsAtOnceOnTheShownIcon) {
    TrayWindow w;
    w.minimize();
    w.tray->setHint(k70);
    EXPECT_EQ(w.tray->trayIcon()->toolTip(), k70.left(63));
    w.tray->setHint(QString());
    EXPECT_EQ(w.tray->trayIcon()->toolTip(), QStringLiteral("Vernalo 2.1"));
}

TEST(NoNotificationArea, minimizeMinimizesNormally) {
    TrayWindow w;
    w.available = false;
    w.minimize();
    EXPECT_TRUE(w.window->isVisible());
    EXPECT_TRUE(w.window->windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(w.tray->iconShown());
}

TEST(NoNotificationArea, windowComesBackWhenTheAreaGoesAway) {
    TrayWindow w(Qt::WindowMaximized);
    w.minimize();
    ASSERT_FALSE(w.window->isVisible());
    w.available = false;
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.window->isVisible(); }, 5000));
    EXPECT_FALSE(w.tray->iconShown());
    EXPECT_TRUE(w.window->windowState() & Qt::WindowMaximized);
}

TEST(TrayLifetime, destroyingTheWindowRemovesTheIcon) {
    TrayWindow w;
    w.minimize();
    QPointer<QSystemTrayIcon> icon = w.tray->trayIcon();
    ASSERT_TRUE(icon && icon->isVisible());
    w.window.reset();
    EXPECT_TRUE(icon.isNull());
}

TEST(TrayLifetime, showingTheWindowOtherwiseRemovesTheIcon) {
    TrayWindow w;
    w.minimize();
    w.window->showNormal();
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.tray->iconShown());
    EXPECT_FALSE(w.tray->trayIcon()->isVisible());
}

TEST(TrayLifetime, onAChildWidgetItStaysInert) {
    QMainWindow window;
    auto* child = new QWidget(&window);
    auto* tray = new TrayIcon(child);
    tray->trayAvailable = [] { return true; };
    tray->loaded();
    window.show();
    window.setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(tray->iconShown());
}

}  // namespace
}  // namespace vernalo
