// vernalo: the window.

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "app/mainwindow.h"
#include "app/quitsignals.h"
#include "app/singleinstance.h"
#include "app/webengineasroot.h"
#include "settings/settings.h"
#include "speech/quickexit.h"

int main(int argc, char** argv) {
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
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vernalo.svg")));
        const QStringList files = QApplication::arguments().mid(1);

        const std::string baseDir = vernalo::ResolveBaseDir(
            QDir::currentPath().toStdString(), std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
        vernalo::SingleInstance instance(QString::fromStdString(baseDir));
        if (instance.claim() == vernalo::SingleInstance::Role::Second) {
            if (instance.handOver(files)) return 0;
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
                if (!closing) window.openDocument(path);
        };
        QObject::connect(&instance, &vernalo::SingleInstance::requested, &window,
                         [&window, open](const QStringList& paths) {
                             window.bringForward();
                             open(paths);
                         });
        // Without a window manager "maximized" means nothing; fill the screen all the same.
        if (const QScreen* screen = window.screen())
            window.resize(screen->availableGeometry().size());
        window.showMaximized();
        QTimer::singleShot(0, &window, [&window, open, files] {
            window.showStartupProblems();
            open(files);
        });
        status = QApplication::exec();
    }
    // The window has saved everything at its close and is gone with the application object.
    vernalo::ExitSkippingAudioTeardown(status);
}
