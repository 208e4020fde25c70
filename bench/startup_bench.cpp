// Start-up of the window with a 1 MB last text (or MB given as the first argument): from the
// program's first line to the window shown, as a user waits for it, and then to the first
// key typed into the editor. Prints figures; run under a display or with
// QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/window/mainwindow.h"
#include "browser/browserpage.h"
#include "settings/settings.h"

namespace {

// About `mb` MB of mixed Russian and English lines, as a long book the user left open.
void WriteLastText(const std::string& path, int mb) {
    std::ofstream f(path, std::ios::binary);
    const std::string en = "The quick brown fox jumps over the lazy dog, again and again. ";
    const std::string ru =
        "\xD1\xFA\xE5\xF8\xFC \xE6\xE5 \xE5\xF9\xB8 \xFD\xF2\xE8\xF5 \xEC\xFF\xE3\xEA\xE8\xF5 "
        "\xF4\xF0\xE0\xED\xF6\xF3\xE7\xF1\xEA\xE8\xF5 \xE1\xF3\xEB\xEE\xEA. ";
    std::size_t size = 0;
    for (int line = 0; size < std::size_t(mb) * 1024 * 1024; ++line) {
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
    const int mb = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    WriteLastText(vernalo::TextPath(dir), mb);
    const qint64 prepared = clock.elapsed();

    clock.restart();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    vernalo::MainWindow::Options options;
    options.baseDir = dir;
    options.showMessages = false;
    const qint64 application = clock.elapsed();
    vernalo::MainWindow window(options);
    const qint64 constructed = clock.elapsed();
    window.startUp();
    const qint64 created = clock.elapsed();
    window.show();
    QApplication::processEvents();
    const qint64 shown = clock.elapsed();
    // A key typed at once: handled after what the window had queued (the editor lays a big
    // text out a step at a time between events).
    QTextEdit* editor = window.editor();
    editor->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(editor, &press);
    QApplication::sendEvent(editor, &release);
    QApplication::processEvents();
    const qint64 typed = clock.elapsed();

    std::printf("prepared %d MB last text in %lld ms\n", mb, static_cast<long long>(prepared));
    std::printf("  application object:       %lld ms\n", static_cast<long long>(application));
    std::printf("  window constructed:       %lld ms\n", static_cast<long long>(constructed));
    std::printf("start-up to window created: %lld ms  (settings and last text read)\n",
                static_cast<long long>(created));
    std::printf("start-up to window shown:   %lld ms  (goal <= 500 ms with 10 MB)\n",
                static_cast<long long>(shown));
    std::printf("first key typed:            %lld ms\n", static_cast<long long>(typed));
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
