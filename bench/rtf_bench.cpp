// Loading and saving a 5 MB rich-text document through QTextDocument (the editor's
// road), and the RTF reader and writer on their own.
#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QByteArray>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextDocument>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>

#include "documents/qt/documentio.h"
#include "documents/rtf/rtfreader.h"
#include "documents/rtf/rtfwriter.h"

namespace {

using namespace vernalo;

// Mixed Russian and English paragraphs with a format change every few words, written
// by our writer until the file holds at least `bytes` bytes.
const std::string& Document(std::size_t bytes) {
    static std::string rtf;
    if (!rtf.empty()) return rtf;
    const std::u16string words[] = {
        u"привет",  u"мир",   u"читать", u"книга",    u"голос",  u"предложение", u"hello", u"world",
        u"reading", u"aloud", u"voice",  u"sentence", u"«ёлка»", u"—",           u"{x}",   u"日本"};
    std::mt19937 rng(1);
    RichDocument doc;
    doc.fonts = {u"DejaVu Sans", u"DejaVu Serif"};
    while (true) {
        Paragraph para;
        para.format.align = static_cast<Alignment>(rng() % 4);
        para.format.leftIndent = static_cast<int>(rng() % 2) * 720;
        for (int r = 0; r < 8; ++r) {
            TextRun run;
            run.format.bold = rng() % 3 == 0;
            run.format.italic = rng() % 4 == 0;
            run.format.underline = rng() % 7 == 0;
            run.format.font = static_cast<int>(rng() % 3) - 1;
            run.format.halfPoints = rng() % 2 ? 0 : 24;
            run.format.color = rng() % 5 ? -1 : 0xC00000;
            for (int w = 0; w < 6; ++w) {
                run.text += words[rng() % std::size(words)];
                run.text += w % 5 == 4 ? u". " : u" ";
            }
            para.runs.push_back(std::move(run));
        }
        doc.addParagraph(para);
        if (doc.paragraphCount() % 1000 == 0) {
            rtf = WriteRtf(doc);
            if (rtf.size() >= bytes) return rtf;
        }
    }
}

constexpr std::size_t kFiveMb = 5u << 20;

// The hard case for the editor: every word in a group of its own with another format.
const std::string& ManyRuns(std::size_t bytes) {
    static std::string rtf;
    if (!rtf.empty()) return rtf;
    rtf = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0 Arial;}}";
    const char* words[] = {"{\\b \\'ef\\'f0\\'e8\\'e2\\'e5\\'f2} ", "{\\i world} ", "{\\ul read} "};
    for (std::size_t i = 0; rtf.size() < bytes; ++i) {
        rtf += words[i % 3];
        if (i % 40 == 39) rtf += "\\par\r\n";
    }
    rtf += "}";
    return rtf;
}

// Loading `rtf` into a QTextDocument that has no layout.
void LoadIntoTextDocument(benchmark::State& state, const std::string& rtf) {
    QByteArray bytes(rtf.data(), static_cast<qsizetype>(rtf.size()));
    for (auto _ : state) {
        QTextDocument doc;
        LoadDocumentBytes(bytes, doc);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rtf.size()));
}

void BM_LoadManyRunsIntoTextDocument(benchmark::State& state) {
    LoadIntoTextDocument(state, ManyRuns(kFiveMb));
}

void BM_ReadRtfModel(benchmark::State& state) {
    const std::string& rtf = Document(kFiveMb);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadRtf(rtf));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rtf.size()));
    state.counters["MB"] = static_cast<double>(rtf.size()) / (1 << 20);
}

void BM_LoadIntoTextDocument(benchmark::State& state) {
    LoadIntoTextDocument(state, Document(kFiveMb));
}

// As in the editor, where the document has a layout that follows every change.
void BM_LoadIntoLaidOutDocument(benchmark::State& state) {
    const std::string& rtf = Document(kFiveMb);
    QByteArray bytes(rtf.data(), static_cast<qsizetype>(rtf.size()));
    for (auto _ : state) {
        QTextDocument doc;
        doc.setTextWidth(800);
        benchmark::DoNotOptimize(doc.documentLayout());
        LoadDocumentBytes(bytes, doc);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rtf.size()));
}

void BM_SaveFromTextDocument(benchmark::State& state) {
    const std::string& rtf = Document(kFiveMb);
    QTextDocument doc;
    LoadDocumentBytes(QByteArray(rtf.data(), static_cast<qsizetype>(rtf.size())), doc);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.rtf"));
    std::size_t written = 0;
    for (auto _ : state) {
        DocumentResult r = SaveDocumentFile(doc, path);
        if (!r.ok) state.SkipWithError(r.error.toUtf8().constData());
        written = static_cast<std::size_t>(QFileInfo(path).size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * written));
    state.counters["MB"] = static_cast<double>(written) / (1 << 20);
}

void BM_WriteRtfModel(benchmark::State& state) {
    RichDocument doc = ReadRtf(Document(kFiveMb));
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteRtf(doc));
}

// Resident memory now, and at most so far, in kB.
long ResidentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long PeakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The editor's road for the file VERNALO_BENCH_FILE names, once (bench/rtf_memory.sh runs
// it): peak memory of the load, what the loaded document keeps, and the rest, which is
// what reading took beyond the document.
void BM_LoadFile(benchmark::State& state, const QString& path) {
    for (auto _ : state) {
        const long before = ResidentKb();
        QTextDocument doc;
        DocumentResult r = LoadDocumentFile(path, doc);
        if (!r.ok) state.SkipWithError(r.error.toUtf8().constData());
        const long kept = ResidentKb() - before;
        const long peak = PeakKb() - before;
        state.counters["file_MB"] = static_cast<double>(QFileInfo(path).size()) / (1 << 20);
        state.counters["peak_MB"] = peak / 1024.0;
        state.counters["document_MB"] = kept / 1024.0;
        state.counters["beyond_document_MB"] = (peak - kept) / 1024.0;
    }
}

BENCHMARK(BM_ReadRtfModel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadIntoTextDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadIntoLaidOutDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveFromTextDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteRtfModel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadManyRunsIntoTextDocument)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (const QString file = qEnvironmentVariable("VERNALO_BENCH_FILE"); !file.isEmpty())
        benchmark::RegisterBenchmark("BM_LoadFile", BM_LoadFile, file)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
