// The vernalo program reading what other programs hold, on the test X server and sound server
// with a session bus of its own: the selection and the clipboard (set by xclip), standard
// input and the bus (gdbus) reach the running window, which reads the text aloud piece by
// piece; Ctrl+Z then brings the earlier text back. Skipped without the test services.

#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "savedtext.h"
#include "support/monitor.h"
#include "support/programfolder.h"

// Readable failures for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace vernalo {
namespace {

using namespace std::chrono_literals;

const QString kFirst = QStringLiteral("Apples grow on trees.");
const QString kSecond = QStringLiteral("Rivers run to the sea.");

QProcess* g_bus = nullptr;  // one bus for the whole program: its connection lasts as long

void StopBus() {
    if (!g_bus) return;
    g_bus->kill();
    g_bus->waitForFinished();
    delete g_bus;
    g_bus = nullptr;
}

class ReadFromOthers : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (g_bus || qEnvironmentVariableIsEmpty("DISPLAY") || !test::Monitor()) return;
        g_bus = new QProcess;
        g_bus->start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address=1")});
        if (!g_bus->waitForReadyRead(10000)) return;
        qputenv("DBUS_SESSION_BUS_ADDRESS", g_bus->readLine().trimmed());
    }
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY") || !test::Monitor())
            GTEST_SKIP() << "no test X server and sound server (run through test.sh)";
        for (const char* tool : {"xclip", "xdotool", "gdbus"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed";
        ASSERT_TRUE(g_bus && qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"));
        folder_ = std::make_unique<test::ProgramFolder>("vernalo_read");
        dir = folder_->dir;
        sink_ = std::make_unique<test::SinkLock>();
    }
    void TearDown() override { folder_.reset(); }

    QProcess& run(const QString& program, const QStringList& args, const QByteArray& input = {}) {
        QProcessEnvironment env = folder_->environment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        QProcess& p = folder_->run(program, args, env);
        if (!input.isNull()) {
            p.write(input);
            p.closeWriteChannel();
        }
        return p;
    }
    QProcess& vernalo(const QStringList& args, const QByteArray& input = {}) {
        return run(QStringLiteral(VERNALO_PROGRAM), args, input);
    }
    static bool logged(QProcess& p, const char* text, int times = 1, int ms = 60000) {
        return test::ProgramFolder::Logged(p, text, times, ms);
    }
    static bool ends(QProcess& p, int code = 0) {
        return test::ProgramFolder::Ends(p, code, 60000);
    }
    // `text` becomes the selection's (the primary selection or the clipboard), held by an
    // xclip that serves it until the test ends.
    void hold(const char* selection, const QString& text) {
        QProcess& x =
            run(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                                          QString::fromLatin1(selection)});
        x.write(text.toUtf8());
        x.closeWriteChannel();
        ASSERT_TRUE(logged(x, "Waiting for selection request")) << x.readAll().toStdString();
    }
    // The piece the media widget shows, as the desktop's media controls read it.
    static QString pieceShown() {
        QDBusInterface props(QStringLiteral("org.mpris.MediaPlayer2.vernalo"),
                             QStringLiteral("/org/mpris/MediaPlayer2"),
                             QStringLiteral("org.freedesktop.DBus.Properties"));
        const QDBusReply<QDBusVariant> r =
            props.call(QStringLiteral("Get"), QStringLiteral("org.mpris.MediaPlayer2.Player"),
                       QStringLiteral("Metadata"));
        if (!r.isValid()) return {};
        QVariantMap m;
        r.value().variant().value<QDBusArgument>() >> m;
        return m.value(QStringLiteral("xesam:title")).toString();
    }
    // Waits until the pieces shown have gone from the first word of `text` to its last one.
    static bool readPieceByPiece(const QString& text) {
        const QStringList words = text.split(u' ');
        const QString first = words.first(), last = words.last().chopped(1);
        bool sawFirst = false;
        return QTest::qWaitFor(
            [&] {
                const QString piece = pieceShown();
                sawFirst = sawFirst || piece.contains(first);
                return sawFirst && piece.contains(last);
            },
            60000);
    }
    QProcess& startWindow() {
        QProcess& w = vernalo({});
        EXPECT_TRUE(logged(w, "listening")) << w.readAll().toStdString();
        // The bus name comes once the window is up.
        EXPECT_TRUE(QTest::qWaitFor(
            [] {
                return QDBusConnection::sessionBus().interface()->isServiceRegistered(
                    QStringLiteral("org.mpris.MediaPlayer2.vernalo"));
            },
            60000));
        return w;
    }
    // Ctrl+Z in the window, then the window is closed as a logout closes it: the text it
    // wrote is what the editor held.
    QString textAfterUndo(QProcess& window) {
        const QString args = QStringLiteral(
                                 "search --sync --onlyvisible --pid %1 --name Vernalo "
                                 "windowfocus --sync key ctrl+z")
                                 .arg(window.processId());
        QProcess& key = run(QStringLiteral("xdotool"), args.split(u' '));
        EXPECT_TRUE(ends(key)) << key.readAll().toStdString();
        return closedText(window);
    }
    QString closedText(QProcess& window) {
        ::kill(static_cast<pid_t>(window.processId()), SIGTERM);
        EXPECT_TRUE(ends(window)) << window.readAll().toStdString();
        return test::SavedText(dir + "/data/text.txt").trimmed();
    }

    std::unique_ptr<test::ProgramFolder> folder_;
    std::string dir;
    std::unique_ptr<test::SinkLock> sink_;
};

// Each way a text reaches the running window: it is read aloud piece by piece, the command
// ends at once, and Ctrl+Z brings the earlier text back.
enum class Way { Selection, SelectionFromClipboard, Clipboard, StandardInput, Argument, Bus };

struct WayCase {
    const char* name;
    Way way;
};

class EachWay : public ReadFromOthers, public testing::WithParamInterface<WayCase> {};

TEST_P(EachWay, readsAloudPieceByPieceAndCtrlZBringsTheEarlierTextBack) {
    QProcess& window = startWindow();
    const std::size_t from = test::MonitorSize();
    const Way way = GetParam().way;
    if (way == Way::Selection) hold("primary", kFirst);
    if (way == Way::SelectionFromClipboard || way == Way::Clipboard) hold("clipboard", kFirst);
    if (way == Way::SelectionFromClipboard) hold("primary", QString());
    QProcess* command = nullptr;
    switch (way) {
        case Way::Selection:
        case Way::SelectionFromClipboard:
            command = &vernalo({QStringLiteral("--read-selection")});
            break;
        case Way::Clipboard:
            command = &vernalo({QStringLiteral("--read-clipboard")});
            break;
        case Way::StandardInput:
            command =
                &vernalo({QStringLiteral("--read-text"), QStringLiteral("-")}, kFirst.toUtf8());
            break;
        case Way::Argument:
            command = &vernalo({QStringLiteral("--read-text"), kFirst});
            break;
        case Way::Bus:
            command = &run(
                QStringLiteral("gdbus"),
                {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
                 QStringLiteral("org.mpris.MediaPlayer2.vernalo"), QStringLiteral("--object-path"),
                 QStringLiteral("/io/github/vernalo/Vernalo"), QStringLiteral("--method"),
                 QStringLiteral("io.github.vernalo.Vernalo.Reader.ReadText"), kFirst});
            break;
    }
    ASSERT_TRUE(ends(*command)) << command->readAll().toStdString();
    EXPECT_TRUE(readPieceByPiece(kFirst));
    EXPECT_GE(test::WaitHeard(from, 0.5, 30s), 0.5);
    EXPECT_EQ(textAfterUndo(window), QStringLiteral("old text"));
}

INSTANTIATE_TEST_SUITE_P(
    Program, EachWay,
    testing::Values(WayCase{"selection", Way::Selection},
                    WayCase{"selectionEmptyTakesTheClipboard", Way::SelectionFromClipboard},
                    WayCase{"clipboard", Way::Clipboard},
                    WayCase{"standardInput", Way::StandardInput},
                    WayCase{"argument", Way::Argument}, WayCase{"sessionBus", Way::Bus}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReadFromOthers, withNoWindowRunningTheCommandStartsOneThatReads) {
    const std::size_t from = test::MonitorSize();
    QProcess& window = vernalo({QStringLiteral("--read-text"), kFirst});
    EXPECT_TRUE(readPieceByPiece(kFirst)) << window.peek(1 << 16).toStdString();
    EXPECT_GE(test::WaitHeard(from, 0.5, 30s), 0.5);
    EXPECT_EQ(textAfterUndo(window), QStringLiteral("old text"));
}

// A selection of 10 MB comes in pieces from its owner (the X11 INCR transfer): it reaches the
// window whole, and the reading begins.
TEST_F(ReadFromOthers, aTenMegabyteSelectionArrivesWhole) {
    QProcess& window = startWindow();
    QString big;
    while (big.size() < (10 << 20))
        big += kFirst + QStringLiteral(" Ещё одна строка по-русски.\n");
    hold("primary", big);
    QProcess& command = vernalo({QStringLiteral("--read-selection")});
    ASSERT_TRUE(ends(command)) << command.readAll().toStdString();
    const QByteArray arrived = QStringLiteral("a text to read from another program, %1 characters")
                                   .arg(big.size())
                                   .toUtf8();
    EXPECT_TRUE(logged(window, arrived.constData())) << window.peek(1 << 16).toStdString();
    EXPECT_TRUE(logged(window, "reading a text from another program"));
}

// Nothing to read: the command says so and fails, the bus answers an error, and the running
// window keeps its text.
TEST_F(ReadFromOthers, nothingToReadIsAnErrorAndChangesNothing) {
    QProcess& window = startWindow();
    hold("primary", QString());
    hold("clipboard", QStringLiteral("  \n"));
    struct Case {
        QStringList args;
        QByteArray input;
        const char* says;
    };
    const Case cases[] = {
        {{QStringLiteral("--read-selection")}, {}, "no text is selected"},
        {{QStringLiteral("--read-clipboard")}, {}, "the clipboard holds no text"},
        {{QStringLiteral("--read-text"), QStringLiteral("-")}, QByteArray(""), "standard input"},
        {{QStringLiteral("--read-text")}, {}, "needs the text"},
    };
    for (const Case& c : cases) {
        QProcess& p = vernalo(c.args, c.input);
        const int code = c.args.size() == 1 && c.args[0] == QStringLiteral("--read-text") ? 2 : 1;
        EXPECT_TRUE(ends(p, code)) << c.says;
        const QByteArray said = p.readAll();
        EXPECT_TRUE(said.contains(c.says)) << c.says << ": " << said.toStdString();
    }
    QProcess& call =
        run(QStringLiteral("gdbus"),
            {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
             QStringLiteral("org.mpris.MediaPlayer2.vernalo"), QStringLiteral("--object-path"),
             QStringLiteral("/io/github/vernalo/Vernalo"), QStringLiteral("--method"),
             QStringLiteral("io.github.vernalo.Vernalo.Reader.ReadClipboard")});
    EXPECT_TRUE(call.waitForFinished(60000));
    const QByteArray answer = call.readAll();
    EXPECT_NE(call.exitCode(), 0) << answer.toStdString();
    EXPECT_TRUE(answer.contains("NothingToRead")) << answer.toStdString();
    EXPECT_EQ(closedText(window), QStringLiteral("old text"));
}

// "Read what I copy": a second copy while the first is read stops that reading and reads the
// second text, from its beginning.
TEST_F(ReadFromOthers, readWhatICopyReadsEachCopyTheLaterOneInterrupting) {
    std::ofstream(dir + "/data/reader.ini") << "[Interface]\r\nReadCopied=1\r\n";
    QProcess& window = startWindow();
    hold("clipboard", kFirst + QStringLiteral(" ") + kFirst + QStringLiteral(" ") + kFirst);
    ASSERT_TRUE(
        QTest::qWaitFor([] { return pieceShown().contains(QStringLiteral("Apples")); }, 60000));
    hold("clipboard", kSecond);
    EXPECT_TRUE(readPieceByPiece(kSecond));
    EXPECT_TRUE(logged(window, "reading a text from another program", 2));
    EXPECT_EQ(textAfterUndo(window),
              kFirst + QStringLiteral(" ") + kFirst + QStringLiteral(" ") + kFirst);
}

}  // namespace

}  // namespace vernalo

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    vernalo::StopBus();
    return status;
}
