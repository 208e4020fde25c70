// Start-up of the window with a 1 MB last text: from the program's first line to the window
// shown, as a user waits for it. Prints figures; run under a display or with
// QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/window/mainwindow.h"
#include "browser/browserpage.h"
#include "settings/settings.h"

namespace {

// About 1 MB of mixed Russian and English lines, as a long book the user left open.
void WriteLastText(const std::string& path) {
    std::ofstream f(path, std::ios::binary);
    const std::string en = "The quick brown fox jumps over the lazy dog, again and again. ";
    const std::string ru =
        "\xD1\xFA\xE5\xF8\xFC \xE6\xE5 \xE5\xF9\xB8 \xFD\xF2\xE8\xF5 \xEC\xFF\xE3\xEA\xE8\xF5 "
        "\xF4\xF0\xE0\xED\xF6\xF3\xE7\xF1\xEA\xE8\xF5 \xE1\xF3\xEB\xEE\xEA. ";
    std::size_t size = 0;
    for (int line = 0; size < 1024 * 1024; ++line) {
        std::string l = (line % 2 ? ru : en) + (line % 3 ? en : ru) + "\r\n";
        f << l;
        size += l.size();
    }
}

// Child processes of the web engine: it starts them when a browser is first made.
int EngineProcesses() {
    int n = 0;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QList<QByteArray> fields = stat.readAll().split(' ');
        if (fields.size() > 3 && fields[1].contains("QtWebEngine") &&
            QString::fromLatin1(fields[3]) == self)
            ++n;
    }
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    char tmpl[] = "/tmp/vernalo_startup_XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    std::filesystem::create_directories(dir + "/data");
    WriteLastText(vernalo::TextPath(dir));
    const qint64 prepared = clock.elapsed();

    clock.restart();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    vernalo::MainWindow::Options options;
    options.baseDir = dir;
    options.showMessages = false;
    vernalo::MainWindow window(options);
    window.startUp();
    const qint64 created = clock.elapsed();
    window.show();
    QApplication::processEvents();
    const qint64 shown = clock.elapsed();

    std::printf("prepared 1 MB last text in %lld ms\n", static_cast<long long>(prepared));
    std::printf("start-up to window created: %lld ms\n", static_cast<long long>(created));
    std::printf("start-up to window shown:   %lld ms  (target < 1000 ms)\n",
                static_cast<long long>(shown));
    std::printf("editor: %d characters, %d lines\n", window.editor()->document()->characterCount(),
                window.editor()->lineCount());
    std::printf(
        "browser made at start-up: %s; web engine processes: %d\n",
        window.documentPages()->browser() && window.documentPages()->browser()->browserCreated()
            ? "yes"
            : "no",
        EngineProcesses());
    std::system(("rm -rf " + dir).c_str());
    return 0;
}
