// The vernalo program itself, started as a user starts it, with a data folder of its own:
// signals close it as the user would, a second start hands over to the first, a lock left
// by a crash is taken over, and root gets a working browser page.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <QTextDocument>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/process/webengineasroot.h"
#include "documents/qt/documentio.h"
#include "savedtext.h"
#include "support/programfolder.h"
#include "text/fileio.h"

namespace vernalo {
namespace {

using test::SavedText;

// A folder of the program's own, with a text to open.
class Program : public testing::Test {
protected:
    Program() { std::ofstream(dir + "/new.txt") << "Новый текст from a file\r\n"; }
    QProcessEnvironment environment() const { return folder_.environment(); }
    QProcess& start(const QStringList& args, QProcessEnvironment env = {}) {
        return folder_.run(QStringLiteral(VERNALO_PROGRAM), args, std::move(env));
    }
    static bool logged(QProcess& p, const char* text, int ms = 30000) {
        return test::ProgramFolder::Logged(p, text, 1, ms);
    }
    static bool ends(QProcess& p) { return test::ProgramFolder::Ends(p); }
    QString newFile() const { return QString::fromStdString(dir + "/new.txt"); }

    test::ProgramFolder folder_{"vernalo_program"};
    const std::string& dir = folder_.dir;
};

class ClosingSignal : public Program, public testing::WithParamInterface<int> {};

TEST_P(ClosingSignal, closesAsTheUserWouldWritingTextAndSettings) {
    QProcess& p = start({newFile()});
    ASSERT_TRUE(logged(p, "opened")) << p.readAll().toStdString();
    ::kill(static_cast<pid_t>(p.processId()), GetParam());
    ASSERT_TRUE(ends(p)) << p.readAll().toStdString();
    EXPECT_EQ(SavedText(dir + "/data/text.txt"), QStringLiteral("Новый текст from a file\n"));
    EXPECT_TRUE(std::filesystem::exists(dir + "/data/reader.ini"));
}

INSTANTIATE_TEST_SUITE_P(Program, ClosingSignal, testing::Values(SIGTERM, SIGHUP, SIGINT),
                         [](const auto& info) { return std::string(strsignal(info.param)); });

TEST_F(Program, aSecondStartHandsItsFileToTheFirstAndEnds) {
    QProcess& first = start({});
    ASSERT_TRUE(logged(first, "listening"));
    QProcess& second = start({newFile()});
    ASSERT_TRUE(ends(second)) << second.readAll().toStdString();
    ASSERT_TRUE(logged(first, "opened"));
    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(ends(first));
    EXPECT_EQ(SavedText(dir + "/data/text.txt"), QStringLiteral("Новый текст from a file\n"));
}

TEST_F(Program, aLockLeftByACrashIsTakenOver) {
    QProcess& crashed = start({});
    ASSERT_TRUE(logged(crashed, "listening"));
    ::kill(static_cast<pid_t>(crashed.processId()), SIGKILL);
    crashed.waitForFinished();
    QProcess& next = start({newFile()});
    ASSERT_TRUE(logged(next, "opened")) << next.readAll().toStdString();
    ::kill(static_cast<pid_t>(next.processId()), SIGTERM);
    ASSERT_TRUE(ends(next));
}

TEST_F(Program, asRootTheBrowserPageWorks) {
    if (::geteuid() != 0) GTEST_SKIP() << "not root";
    std::ofstream(dir + "/page.html") << "<html><body><p>A page</p></body></html>";
    QProcessEnvironment env = environment();
    env.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
    env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--disable-gpu"));
    QProcess& p = start({QString::fromStdString(dir + "/page.html")}, env);
    ASSERT_TRUE(logged(p, "browser page loaded: ok", 60000)) << p.readAll().toStdString();
    EXPECT_EQ(p.peek(1 << 20).count("running as root"), 1);
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    ASSERT_TRUE(ends(p)) << p.readAll().toStdString();
}

// Without a desktop session the program answers --help and --version, and otherwise says
// what is missing, instead of Qt's abort.
TEST_F(Program, withoutADisplayAnswersOrSaysWhatIsMissing) {
    QProcessEnvironment env = environment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    const struct {
        QStringList args;
        int status;
        const char* output;
    } cases[] = {
        {{QStringLiteral("--help")}, 0, "Usage: vernalo [options] [FILE...]"},
        {{QStringLiteral("--version")}, 0, "vernalo " VERNALO_VERSION},
        {{newFile()}, 1, "No display found: Vernalo needs a desktop session (X11 or Wayland)"},
    };
    for (const auto& c : cases) {
        QProcess& p = start(c.args, env);
        ASSERT_TRUE(p.waitForFinished(30000)) << c.output;
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << c.output;
        EXPECT_EQ(p.exitCode(), c.status) << c.output;
        EXPECT_TRUE(p.readAll().contains(c.output)) << c.output;
    }
    EXPECT_EQ(SavedText(dir + "/data/text.txt"), QStringLiteral("old text\n"));
}

// The web engine's flags as root: --no-sandbox joins those already set, once.
struct FlagsCase {
    const char* name;
    bool root;
    const char* before;  // null: unset
    const char* after;   // null: unset
};

class SandboxFlags : public testing::TestWithParam<FlagsCase> {};

TEST_P(SandboxFlags, areAddedOnlyAsRoot) {
    const FlagsCase& c = GetParam();
    const QByteArray saved = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    const QByteArray savedSandbox = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    if (c.before)
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", c.before);
    else
        qunsetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    EXPECT_EQ(DisableWebEngineSandboxForRoot(c.root), c.root);
    if (c.after)
        EXPECT_EQ(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), QByteArray(c.after));
    else
        EXPECT_FALSE(qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"));
    EXPECT_EQ(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), c.root ? QByteArray("1") : QByteArray());
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", saved);
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", savedSandbox);
}

INSTANTIATE_TEST_SUITE_P(
    Root, SandboxFlags,
    testing::Values(FlagsCase{"notRoot", false, "--disable-gpu", "--disable-gpu"},
                    FlagsCase{"notRootUnset", false, nullptr, nullptr},
                    FlagsCase{"rootUnset", true, nullptr, "--no-sandbox"},
                    FlagsCase{"rootKeepsFlags", true, "--disable-gpu",
                              "--disable-gpu --no-sandbox"},
                    FlagsCase{"rootAlreadyOff", true, "--no-sandbox --disable-gpu",
                              "--no-sandbox --disable-gpu"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vernalo
