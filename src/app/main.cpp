// vernalo: the window.

#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QLocale>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/controllers/documentcommands.h"
#include "app/controllers/mediabridge.h"
#include "app/controllers/textfromoutside.h"
#include "app/process/quitsignals.h"
#include "app/process/readerbus.h"
#include "app/process/readrequest.h"
#include "app/process/singleinstance.h"
#include "app/process/translation.h"
#include "app/process/webengineasroot.h"
#include "app/window/icons.h"
#include "app/window/mainwindow.h"
#include "settings/settings.h"
#include "speech/quickexit.h"

namespace {

// --help and --version answer before anything needs a display. Options the parser does not
// know are left for Qt (-platform, -style...), which reads them from the same command line.
std::optional<int> AnswerCommandLine(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.push_back(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads Russian and English texts aloud, each with its own voice."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    vernalo::AddReadOptions(parser);
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("Files to open, as Open would."),
                                 QStringLiteral("[FILE...]"));
    parser.parse(args);
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // Without an application object the parser cannot know the program's name.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("vernalo"));
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::puts("vernalo " VERNALO_VERSION);
        return 0;
    }
    return std::nullopt;
}

// Without a display Qt's window system plug-in aborts with a core dump and a line about
// plug-ins; say what is missing instead.
bool HasDisplay() {
    const auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    if (set("QT_QPA_PLATFORM") || set("WAYLAND_DISPLAY")) return true;
    if (!set("DISPLAY")) return false;
    // A local X display (":N"), whose server may be gone: its socket tells.
    const std::string display = std::getenv("DISPLAY");
    if (display.size() > 1 && display[0] == ':') {
        const std::string number = display.substr(1, display.find('.') - 1);
        return access(("/tmp/.X11-unix/X" + number).c_str(), F_OK) == 0;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> answered = AnswerCommandLine(argc, argv)) return *answered;
    if (!HasDisplay()) {
        std::fputs(
            "No display found: Vernalo needs a desktop session (X11 or Wayland); the "
            "command-line tool vernalo-cli works without one.\n",
            stderr);
        return 1;
    }
    // A text for a running window goes to it at once, before anything a window needs.
    {
        QStringList args;
        for (int i = 0; i < argc; ++i)
            args.push_back(QString::fromLocal8Bit(argv[i]));
        QString mistake;
        const std::optional<vernalo::ReadRequest> request =
            vernalo::ParseReadRequest(args, &mistake);
        if (request) {
            const std::string baseDir =
                vernalo::ResolveBaseDir(QDir::currentPath().toStdString(),
                                        std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
            if (const std::optional<int> handed = vernalo::HandToRunningWindow(
                    argc, argv, *request, QString::fromStdString(baseDir)))
                vernalo::ExitSkippingAudioTeardown(*handed);
        }
    }
    int status;
    {
        // Both must be said before the application object is made.
        vernalo::DisableWebEngineSandboxForRoot(::geteuid() == 0);
        // The browser page shares OpenGL contexts with the window.
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("vernalo"));
        QApplication::setApplicationDisplayName(QStringLiteral("Vernalo " VERNALO_SHORT_VERSION));
        QApplication::setApplicationVersion(QStringLiteral(VERNALO_VERSION));
        QApplication::setDesktopFileName(QStringLiteral("vernalo"));
        QApplication::setWindowIcon(vernalo::ThemeIcon("vernalo", "vernalo"));
        // The desktop's language (LANGUAGE, LC_ALL, LANG); English needs no translation.
        vernalo::InstallTranslations(QLocale::system());
        QString mistake;
        const std::optional<vernalo::ReadRequest> readRequest =
            vernalo::ParseReadRequest(QApplication::arguments(), &mistake);
        if (!mistake.isEmpty()) {
            std::fprintf(stderr, "vernalo: %s\n", mistake.toLocal8Bit().constData());
            return 2;
        }
        const QStringList files = readRequest ? QStringList() : QApplication::arguments().mid(1);
        // Taken here, before any window: a running one then only receives it.
        QString textToRead;
        if (readRequest) {
            textToRead = vernalo::TakeText(*readRequest);
            if (textToRead.trimmed().isEmpty()) {
                std::fprintf(stderr, "vernalo: %s\n",
                             vernalo::NothingToReadMessage(*readRequest).toLocal8Bit().constData());
                return 1;
            }
        }

        const std::string baseDir = vernalo::ResolveBaseDir(
            QDir::currentPath().toStdString(), std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
        vernalo::SingleInstance instance(QString::fromStdString(baseDir));
        if (instance.claim() == vernalo::SingleInstance::Role::Second) {
            if (readRequest ? instance.handOverText(textToRead) : instance.handOver(files))
                return 0;
            std::fprintf(stderr,
                         "vernalo: a Vernalo window already uses the data folder %s but does not "
                         "answer; close it (or end it) and start again.\n",
                         baseDir.c_str());
            return 1;
        }
        vernalo::QuitSignals quitSignals;

        vernalo::MainWindow::Options options;
        options.baseDir = baseDir;
        vernalo::MainWindow window(options);
        window.startUp();
        vernalo::TextFromOutside& outside = window.controllers().outside;
        vernalo::ReaderBus readerBus({
            .readText = [&outside](const QString& text) { return outside.readText(text); },
            .readSelection = [&outside] { return outside.readSelection(); },
            .readClipboard = [&outside] { return outside.readClipboard(); },
            .stop = [&outside] { outside.stop(); },
        });
        // Only beside the media player: without a session bus of the desktop there is none.
        if (window.controllers().media.registerOnBus()) readerBus.registerOnBus();
        // A logout, a shutdown or a signal closes the window as the user would: the reading
        // stops and the text and settings are written.
        bool closing = false;
        const auto closeAndQuit = [&window, &closing] {
            closing = true;
            window.close();
            QApplication::quit();
        };
        QObject::connect(&quitSignals, &vernalo::QuitSignals::received, &window, closeAndQuit);
        QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, closeAndQuit);
        // A signal may close the window while a message box still waits: nothing opens then.
        const auto open = [&window, &closing](const QStringList& paths) {
            for (const QString& path : paths)
                if (!closing) window.controllers().documents.openDocument(path);
        };
        QObject::connect(&instance, &vernalo::SingleInstance::requested, &window,
                         [&window, open](const QStringList& paths) {
                             window.bringForward();
                             open(paths);
                         });
        QObject::connect(&instance, &vernalo::SingleInstance::textRequested, &outside,
                         [&outside, &closing](const QString& text) {
                             if (!closing) outside.readText(text);
                         });
        // Without a window manager "maximized" means nothing; fill the screen all the same.
        if (const QScreen* screen = window.screen())
            window.resize(screen->availableGeometry().size());
        window.showMaximized();
        QTimer::singleShot(0, &window, [&window, &outside, open, files, textToRead] {
            window.showStartupProblems();
            open(files);
            if (!textToRead.isEmpty()) outside.readText(textToRead);
        });
        status = QApplication::exec();
    }
    // The window has saved everything at its close and is gone with the application object.
    vernalo::ExitSkippingAudioTeardown(status);
}
