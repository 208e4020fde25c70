// The browser page's costs: a window start-up that never browses (no web engine may start),
// the first navigation to a local page, and taking a frameset's sources for the editor.
// Run on the offscreen platform: QT_QPA_PLATFORM=offscreen ./browser_bench

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "app/window/mainwindow.h"
#include "browser/browserpage.h"

namespace {

// Resident memory of a process in MB, from /proc.
double RssMb(const std::string& pid) {
    std::ifstream in("/proc/" + pid + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// This process's children: how many, and their resident memory together.
std::pair<int, double> Children() {
    int n = 0;
    double mb = 0;
    const std::string me = std::to_string(getpid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        std::ifstream stat("/proc/" + pid.toStdString() + "/stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        const auto close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        std::string state, ppid;
        rest >> state >> ppid;
        if (ppid != me) continue;
        ++n;
        mb += RssMb(pid.toStdString());
    }
    return {n, mb};
}

void Spin(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

QTemporaryDir& Pages() {
    static QTemporaryDir dir;
    static bool written = false;
    if (!written) {
        auto put = [](const QString& name, const QByteArray& text) {
            QFile f(dir.filePath(name));
            f.open(QIODevice::WriteOnly);
            f.write(text);
        };
        QByteArray body;
        for (int i = 0; i < 2000; ++i)
            body += "<p>Paragraph " + QByteArray::number(i) + ".</p>\n";
        put(QStringLiteral("page.html"), "<html><body>" + body + "</body></html>");
        put(QStringLiteral("a.html"), "<html><body>" + body + "</body></html>");
        put(QStringLiteral("b.html"), "<html><body>" + body + "</body></html>");
        put(QStringLiteral("frames.html"),
            "<html><frameset cols=\"50%,50%\"><frame src=\"a.html\"><frame src=\"b.html\">"
            "</frameset></html>");
        written = true;
    }
    return dir;
}

// Must run first: nothing may have started the web engine yet.
void BM_WindowStartUpWithoutBrowsing(benchmark::State& state) {
    QTemporaryDir base;
    const double before = RssMb("self");
    for (auto _ : state) {
        vernalo::MainWindow::Options o;
        o.baseDir = base.path().toStdString();
        o.showMessages = false;
        vernalo::MainWindow window(o);
        window.startUp();
        window.show();
        QApplication::processEvents();
        state.PauseTiming();
        Spin(200);
        const auto [children, childMb] = Children();
        state.counters["engine_processes"] = children;
        state.counters["children_rss_MB"] = childMb;
        state.counters["browser_made"] =
            window.documentPages()->browser()->browserCreated() ? 1 : 0;
        state.counters["process_rss_MB"] = RssMb("self");
        state.ResumeTiming();
    }
    state.counters["rss_before_MB"] = before;
}
BENCHMARK(BM_WindowStartUpWithoutBrowsing)->Iterations(3)->Unit(benchmark::kMillisecond);

// Once per process: the engine starts on this navigation.
void BM_FirstNavigationToLocalPage(benchmark::State& state) {
    for (auto _ : state) {
        vernalo::BrowserPage page;
        page.resize(1000, 700);
        page.show();  // makes the browser, as showing the page does
        QSignalSpy finished(&page, &vernalo::BrowserPage::loadFinished);
        QElapsedTimer t;
        t.start();
        page.navigate(Pages().filePath(QStringLiteral("page.html")));
        if (!finished.wait(20000)) state.SkipWithError("the page did not load");
        state.SetIterationTime(static_cast<double>(t.nsecsElapsed()) / 1e9);
        const auto [children, childMb] = Children();
        state.counters["engine_processes"] = children;
        state.counters["children_rss_MB"] = childMb;
        state.counters["process_rss_MB"] = RssMb("self");
    }
}
BENCHMARK(BM_FirstNavigationToLocalPage)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_FramesetSourcesForTheEditor(benchmark::State& state) {
    vernalo::BrowserPage page;
    QSignalSpy finished(&page, &vernalo::BrowserPage::loadFinished);
    page.navigate(Pages().filePath(QStringLiteral("frames.html")));
    if (!finished.wait(20000)) state.SkipWithError("the frameset did not load");
    std::size_t units = 0;
    for (auto _ : state)
        units = page.pageText().size();
    state.counters["units"] = static_cast<double>(units);
}
BENCHMARK(BM_FramesetSourcesForTheEditor)->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // Software rendering; the engine's sandbox refuses root, so it goes only then.
    const bool root = geteuid() == 0;
    if (root) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", root ? "--no-sandbox --disable-gpu" : "--disable-gpu", 0);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
