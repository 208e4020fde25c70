// The reading as a media player on a private session bus: each MPRIS method and property, as
// the desktop's media controls and media keys use them.

#include <gtest/gtest.h>

#include <QAction>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QProcess>
#include <QTest>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>

#include "app/window/texteditor.h"
#include "support/accessible.h"
#include "support/holdingvoice.h"
#include "support/windowrig.h"

namespace vernalo {
namespace {

using test::HoldingVoice;

class WindowMedia : public testing::Test, protected test::WindowRig {
protected:
    static void SetUpTestSuite() {
        bus = new QProcess;
        bus->start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
        ASSERT_TRUE(bus->waitForReadyRead(10000)) << "dbus-daemon did not start";
        address = QString::fromUtf8(bus->readLine().trimmed());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
    }
    static void TearDownTestSuite() {
        bus->kill();
        bus->waitForFinished();
        delete bus;
    }
    void SetUp() override {
        MainWindow::Options o = options();
        o.voices = [] {
            const std::vector<test::FakeMode> modes = {{u"Russian", u"Nicolai"},
                                                       {u"English", u"Carol"}};
            return PerLanguage<std::unique_ptr<Voice>>{
                {std::make_unique<HoldingVoice>(modes), std::make_unique<HoldingVoice>(modes)}};
        };
        HoldingVoice::holding = true;
        w = &startWindow(std::move(o));
        ASSERT_TRUE(w->controllers().media.registerOnBus());
        client = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("client")));
        ASSERT_TRUE(client->isConnected());
    }
    void TearDown() override {
        window.reset();
        client.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    }

    // A call as another program makes it; the window answers from this event loop.
    QVariant call(const QString& interface, const QString& method, const QVariantList& args = {}) {
        QDBusMessage m = QDBusMessage::createMethodCall(
            QStringLiteral("org.mpris.MediaPlayer2.vernalo"),
            QStringLiteral("/org/mpris/MediaPlayer2"), interface, method);
        m.setArguments(args);
        QDBusPendingCall pending = client->asyncCall(m);
        EXPECT_TRUE(test::WaitFor([&] { return pending.isFinished(); })) << method.toStdString();
        EXPECT_FALSE(pending.isError()) << pending.error().message().toStdString();
        const QList<QVariant> reply = pending.reply().arguments();
        return reply.isEmpty() ? QVariant() : reply.first();
    }
    QVariant player(const QString& method) {
        return call(QStringLiteral("org.mpris.MediaPlayer2.Player"), method);
    }
    QVariant property(const QString& interface, const QString& name) {
        return call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                    {interface, name})
            .value<QDBusVariant>()
            .variant();
    }
    QVariant playerProperty(const QString& name) {
        return property(QStringLiteral("org.mpris.MediaPlayer2.Player"), name);
    }
    QString pieceTitle() {
        const auto meta = qdbus_cast<QVariantMap>(playerProperty(QStringLiteral("Metadata")));
        return meta.value(QStringLiteral("xesam:title")).toString();
    }
    bool say() const {
        return w->findChild<QToolButton*>(QStringLiteral("sayButton"))->isChecked();
    }

    static inline QProcess* bus = nullptr;
    static inline QString address;
    MainWindow* w = nullptr;
    std::unique_ptr<QDBusConnection> client;
};

TEST_F(WindowMedia, describesItselfAndFollowsTheText) {
    const QString root = QStringLiteral("org.mpris.MediaPlayer2");
    EXPECT_EQ(property(root, QStringLiteral("Identity")).toString(), QStringLiteral("Vernalo"));
    EXPECT_EQ(property(root, QStringLiteral("DesktopEntry")).toString(), QStringLiteral("vernalo"));
    EXPECT_TRUE(property(root, QStringLiteral("CanRaise")).toBool());
    EXPECT_TRUE(property(root, QStringLiteral("CanQuit")).toBool());
    EXPECT_EQ(playerProperty(QStringLiteral("PlaybackStatus")).toString(),
              QStringLiteral("Stopped"));
    EXPECT_FALSE(playerProperty(QStringLiteral("CanGoNext")).toBool());  // no text
    w->editor()->setPlainText(QStringLiteral("Один два. Three four."));
    emit w->editor()->textEdited();
    EXPECT_TRUE(playerProperty(QStringLiteral("CanGoNext")).toBool());
    EXPECT_TRUE(playerProperty(QStringLiteral("CanGoPrevious")).toBool());
}

// Play, Next, Previous, Pause, PlayPause and Stop drive Say and the reading position.
TEST_F(WindowMedia, controlsTheReadingAsSayDoes) {
    // The last piece is not waited for: four, so that Next never reaches it.
    w->editor()->setPlainText(QStringLiteral("Один два. Three four. Пять. Six."));
    emit w->editor()->textEdited();
    w->editor()->select(0, 0);
    const struct {
        const char* method;
        bool say;
        const char* status;
        const char* piece;  // the piece being read after it, when reading
    } steps[] = {
        {"Play", true, "Playing", "Один два."}, {"Next", true, "Playing", " Three four."},
        {"Next", true, "Playing", " Пять."},    {"Previous", true, "Playing", " Three four."},
        {"Pause", false, "Paused", nullptr},    {"PlayPause", true, "Playing", " Three four."},
        {"Stop", false, "Paused", nullptr},     {"PlayPause", true, "Playing", " Three four."},
    };
    for (const auto& s : steps) {
        player(QString::fromLatin1(s.method));
        EXPECT_EQ(say(), s.say) << s.method;
        EXPECT_EQ(playerProperty(QStringLiteral("PlaybackStatus")).toString(),
                  QString::fromLatin1(s.status))
            << s.method;
        if (s.piece) {
            EXPECT_EQ(pieceTitle(), QString::fromUtf8(s.piece).simplified()) << s.method;
        }
    }
    HoldingVoice::holding = false;  // the voices go quiet: the reading runs to its end
    EXPECT_TRUE(test::WaitFor([&] { return !say(); }));
    EXPECT_EQ(playerProperty(QStringLiteral("PlaybackStatus")).toString(),
              QStringLiteral("Stopped"));
}

TEST_F(WindowMedia, raiseShowsTheWindowAndQuitClosesIt) {
    w->hide();
    call(QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Raise"));
    EXPECT_TRUE(w->isVisible());
    call(QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Quit"));
    EXPECT_FALSE(w->isVisible());
}

}  // namespace
}  // namespace vernalo
