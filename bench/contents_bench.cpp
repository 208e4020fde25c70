// How long the Contents panel takes to list a book once it is in the editor: the headings
// found again from the editor's blocks and the panel's tree rebuilt, as after an open or an
// edit. The goal is 50 ms for a 10 MB book.
//
//   contents_bench [--runs N] FILE...
//
// Prints one line per file: paragraphs, headings, best and median milliseconds.
// bench/books_vs_pandoc.sh runs it on its generated 10 MB FB2 and EPUB.

#include <QApplication>
#include <QTextDocument>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/window/contentspanel.h"
#include "app/window/texteditor.h"
#include "documents/qt/documentheadings.h"
#include "documents/qt/documentio.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = 5;
    std::vector<QString> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            files.push_back(QString::fromLocal8Bit(argv[i]));
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: contents_bench [--runs N] FILE...\n");
        return 2;
    }
    for (const QString& file : files) {
        vernalo::TextEditor editor;
        editor.resize(800, 600);
        editor.show();
        auto* doc = new QTextDocument;
        doc->setDefaultFont(editor.document()->defaultFont());
        const vernalo::DocumentResult loaded = vernalo::LoadDocumentFile(file, *doc);
        if (!loaded.ok) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(file), qPrintable(loaded.error));
            return 1;
        }
        editor.replaceDocument(doc);
        vernalo::ContentsPanel panel;
        panel.show();
        QApplication::processEvents();
        std::vector<double> ms;
        std::size_t headings = 0;
        for (int r = 0; r < runs; ++r) {
            const auto start = std::chrono::steady_clock::now();
            const auto found = vernalo::DocumentHeadings(*editor.document());
            panel.setHeadings(found);
            const auto end = std::chrono::steady_clock::now();
            ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
            headings = found.size();
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%s paragraphs=%d headings=%zu best_ms=%.1f median_ms=%.1f goal_ms=50\n",
                    qPrintable(file), editor.document()->blockCount(), headings, ms.front(),
                    ms[ms.size() / 2]);
    }
    return 0;
}
