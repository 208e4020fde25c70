// A 10 MB text from another program taken into the window (as `vernalo --read-text -` or the
// selection brings it), beside the same text opened as a file: the longest time the GUI
// thread does not answer (a timer of 1 ms cannot fire) from the request until the text is in
// the editor and a further half second has passed. Runs offscreen, with no sound needed.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "app/controllers/documentcommands.h"
#include "app/controllers/textfromoutside.h"
#include "app/window/mainwindow.h"
#include "app/window/texteditor.h"

namespace {

using namespace vernalo;

// Mixed Russian and English lines, about `bytes` of UTF-8.
QString Text(qsizetype bytes) {
    QString line =
        QStringLiteral("Привет, мир, это книга. Hello world, reading aloud in two voices.\n");
    QString text;
    text.reserve(bytes);
    while (text.toUtf8().size() < 1024)
        text += line;
    const QString block = text;
    while (text.size() * 3 / 2 < bytes)
        text += block;
    return text;
}

const QString& TenMb() {
    static const QString t = Text(10 << 20);
    return t;
}

// The longest stop of the GUI thread while `start` runs and until `done` holds, then 500 ms.
double LongestStop(const std::function<void()>& start, const std::function<bool()>& done) {
    QElapsedTimer sinceTick;
    qint64 worst = 0;
    QTimer probe;
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout,
                     [&] { worst = std::max(worst, sinceTick.restart()); });
    sinceTick.start();
    probe.start();
    start();
    QElapsedTimer all;
    all.start();
    while (!done() && all.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QElapsedTimer after;
    after.start();
    while (after.elapsed() < 500)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return static_cast<double>(std::max(worst, sinceTick.elapsed()));
}

struct Window {
    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window;
    Window() {
        MainWindow::Options o;
        o.baseDir = dir.path().toStdString();
        o.showMessages = false;
        window = std::make_unique<MainWindow>(o);
        window->startUp();
        window->resize(1000, 700);
        window->show();
        QApplication::processEvents();
    }
};

void BM_TakeTenMbFromAnotherProgram(benchmark::State& state) {
    double longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Window w;
        TextFromOutside& outside = w.window->controllers().outside;
        bool taken = false;
        QObject::connect(&outside, &TextFromOutside::textTaken, [&] { taken = true; });
        state.ResumeTiming();
        longest = std::max(longest,
                           LongestStop([&] { outside.readText(TenMb()); }, [&] { return taken; }));
    }
    state.counters["longest_gui_block_ms"] = longest;
    state.counters["MB"] = static_cast<double>(TenMb().toUtf8().size()) / (1 << 20);
}

// The same text as a file opened with Open: what "read like an opened file" is held to.
void BM_OpenTenMbFile(benchmark::State& state) {
    QTemporaryDir files;
    const QString path = files.filePath(QStringLiteral("big.txt"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(TenMb().toUtf8());
    f.close();
    double longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Window w;
        DocumentCommands& documents = w.window->controllers().documents;
        bool opened = false;
        QObject::connect(&documents, &DocumentCommands::openFinished, [&] { opened = true; });
        state.ResumeTiming();
        longest = std::max(
            longest, LongestStop([&] { documents.openDocument(path); }, [&] { return opened; }));
    }
    state.counters["longest_gui_block_ms"] = longest;
}

BENCHMARK(BM_TakeTenMbFromAnotherProgram)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenTenMbFile)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
