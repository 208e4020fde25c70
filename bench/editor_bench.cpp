// The editor with a large text: opening a document into it (over an empty editor and over
// text the user had, where the replacement is one undoable step), and autosave's longest stop
// of the GUI thread while a 10 MB document is written. Prints figures; runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <string>

#include "app/controllers/autosave.h"
#include "app/window/texteditor.h"
#include "documents/qt/documentio.h"

namespace {

using namespace vernalo;

// Mixed Russian and English paragraphs (Windows-1251 escapes) with a format change every
// sentence, as RTF of at least `bytes` bytes.
QByteArray Document(std::size_t bytes) {
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0 Arial;}}\r\n";
    const char* sentences[] = {
        "\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2, \\'ec\\'e8\\'f0, \\'fd\\'f2\\'ee "
        "\\'ea\\'ed\\'e8\\'e3\\'e0. ",
        "Hello world, reading aloud in two voices. ", "{\\b Bold words} and {\\i italic ones}. "};
    for (std::size_t p = 0; static_cast<std::size_t>(rtf.size()) < bytes; ++p) {
        for (std::size_t r = 0; r < 6; ++r)
            rtf += sentences[(p + r) % 3];
        rtf += "\\par\r\n";
    }
    return rtf + "}";
}

const QByteArray& FiveMb() {
    static const QByteArray d = Document(5u << 20);
    return d;
}

// Until the editor has shown the new text: the replacement, then the first paint.
void Open(TextEditor& editor, const QByteArray& bytes) {
    editor.replaceDocument([&](QTextDocument& doc) {
        LoadDocumentBytes(bytes, doc);
        return true;
    });
    QApplication::processEvents();
}

void BM_OpenIntoEmptyEditor(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        TextEditor editor;
        editor.resize(800, 600);
        editor.show();
        QApplication::processEvents();
        state.ResumeTiming();
        Open(editor, FiveMb());
    }
    state.counters["MB"] = static_cast<double>(FiveMb().size()) / (1 << 20);
}

// Over the text the user had, then Ctrl+Z back to it and Ctrl+Shift+Z to the file again.
void BM_OpenOverTextUndoRedo(benchmark::State& state) {
    double undoMs = 0, redoMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TextEditor editor;
        editor.resize(800, 600);
        editor.show();
        editor.setPlainText(QStringLiteral("The text the user had.\nTwo lines of it."));
        QApplication::processEvents();
        state.ResumeTiming();
        Open(editor, FiveMb());
        state.PauseTiming();
        QElapsedTimer clock;
        clock.start();
        editor.undoStep();
        QApplication::processEvents();
        undoMs += static_cast<double>(clock.restart());
        editor.redoStep();
        QApplication::processEvents();
        redoMs += static_cast<double>(clock.elapsed());
        state.ResumeTiming();
    }
    state.counters["undo_ms"] = undoMs / static_cast<double>(state.iterations());
    state.counters["redo_ms"] = redoMs / static_cast<double>(state.iterations());
}

// Autosave of a 10 MB document: the longest time the GUI thread does not answer (a timer
// of 1 ms cannot fire) from the change until the file is written, and the write's whole time.
void BM_AutosaveLongestGuiBlock(benchmark::State& state) {
    QTemporaryDir dir;
    QTextDocument doc;
    LoadDocumentBytes(Document(10u << 20), doc);
    Autosave save([&doc] { return &doc; },
                  QFile::encodeName(dir.filePath(QStringLiteral("data/text.txt"))).toStdString(),
                  {{}, {}});
    double longest = 0;
    for (auto _ : state) {
        bool written = false;
        const QMetaObject::Connection c = QObject::connect(&save, &Autosave::written, [&](bool ok) {
            if (!ok) state.SkipWithError("the write failed");
            written = true;
        });
        QElapsedTimer sinceTick;
        qint64 worst = 0;
        QTimer probe;
        probe.setInterval(1);
        QObject::connect(&probe, &QTimer::timeout,
                         [&] { worst = std::max(worst, sinceTick.restart()); });
        save.changed();
        sinceTick.start();
        probe.start();
        while (!written)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        worst = std::max(worst, sinceTick.elapsed());
        QObject::disconnect(c);
        longest = std::max(longest, static_cast<double>(worst));
    }
    state.counters["longest_gui_block_ms"] = longest;
    state.counters["chars_M"] = static_cast<double>(doc.characterCount()) / 1e6;
}

// The part autosave does on the GUI thread, on its own.
void BM_DocumentToModel10Mb(benchmark::State& state) {
    QTextDocument doc;
    LoadDocumentBytes(Document(10u << 20), doc);
    for (auto _ : state)
        benchmark::DoNotOptimize(DocumentToModel(doc));
}

BENCHMARK(BM_AutosaveLongestGuiBlock)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DocumentToModel10Mb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenIntoEmptyEditor)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenOverTextUndoRedo)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
