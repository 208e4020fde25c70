// vernalo: the window.

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>

#include "app/mainwindow.h"
#include "speech/quickexit.h"

int main(int argc, char** argv) {
    int status;
    {
        // The browser page shares OpenGL contexts with the window; this must be said first.
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("vernalo"));
        QApplication::setApplicationDisplayName(QStringLiteral("Vernalo " VERNALO_SHORT_VERSION));
        QApplication::setApplicationVersion(QStringLiteral(VERNALO_VERSION));
        QApplication::setDesktopFileName(QStringLiteral("vernalo"));
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vernalo.svg")));

        vernalo::MainWindow window({});
        window.startUp();
        // Without a window manager "maximized" means nothing; fill the screen all the same.
        if (const QScreen* screen = window.screen())
            window.resize(screen->availableGeometry().size());
        window.showMaximized();
        QTimer::singleShot(0, &window, &vernalo::MainWindow::showStartupProblems);
        status = QApplication::exec();
    }
    // The window has saved everything at its close and is gone with the application object.
    vernalo::ExitSkippingAudioTeardown(status);
}
