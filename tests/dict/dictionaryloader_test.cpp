#include "dict/dictionaryloader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "reading/segmenter.h"

namespace vernalo {
namespace {

// A data folder and an installed-dictionaries folder, both temporary.
struct Folders {
    QTemporaryDir base, installed;

    static void write(const QString& path, const std::string& bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    void writeOwn(const char* name, const std::string& bytes) {
        write(base.filePath(QStringLiteral("dict/")) + QLatin1String(name), bytes);
    }
    void writeInstalled(const char* name, const std::string& bytes) {
        write(installed.filePath(QLatin1String(name)), bytes);
    }
};

// Panel 3 as the window would show it, every text written in order.
struct Panel {
    std::vector<QString> texts;
    std::function<void(const QString&)> sink() {
        return [this](const QString& t) { texts.push_back(t); };
    }
};

bool WaitLoaded(DictionaryLoader* loader, int ms = 30000) {
    // loaded() comes from the event loop, so it cannot have come before the spy is set up.
    QSignalSpy spy(loader, &DictionaryLoader::loaded);
    return spy.wait(ms);
}

DictionaryLoader* Start(const char* language, Folders& f, DictionaryStore& store, Panel& panel,
                        QObject* progress = nullptr) {
    return startDictionaryLoader(
        std::string(language) == "RU" ? Language::Russian : Language::English, progress, store,
        panel.sink(), f.base.path(), f.installed.path());
}

struct SourceCase {
    const char* name;
    const char* language;
    std::optional<std::string> own, installed;
    std::vector<std::pair<std::u16string, std::u16string>> expect;  // in the language's map
    std::size_t entries;
};
void PrintTo(const SourceCase& c, std::ostream* os) {
    *os << c.name;
}

class LoaderSources : public testing::TestWithParam<SourceCase> {};

TEST_P(LoaderSources, fillsOnlyItsLanguagesMapFromTheFileFound) {
    const SourceCase& c = GetParam();
    Folders f;
    const bool ru = std::string(c.language) == "RU";
    const char* file = ru ? "readerru.dic" : "readeren.dic";
    if (c.own) f.writeOwn(file, *c.own);
    if (c.installed) f.writeInstalled(file, *c.installed);
    DictionaryStore store;
    Panel panel;
    std::unique_ptr<DictionaryLoader> loader(Start(c.language, f, store, panel));
    QSignalSpy problems(loader.get(), &DictionaryLoader::problem);
    ASSERT_TRUE(WaitLoaded(loader.get()));

    const Dictionary& mine = ru ? store[Language::Russian] : store[Language::English];
    const Dictionary& other = ru ? store[Language::English] : store[Language::Russian];
    EXPECT_EQ(mine.size(), c.entries);
    EXPECT_TRUE(other.empty());
    for (const auto& [key, value] : c.expect)
        EXPECT_EQ(mine.lookup(key), value);
    EXPECT_EQ(panel.texts, std::vector<QString>{QStringLiteral(" Ready ")});
    EXPECT_EQ(problems.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoaderSources,
    testing::Values(
        SourceCase{"ownRussian",
                   "RU",
                   "\xEC\xE3\xF3=\xFD\xEC \xE3\xFD \xF3\r\nx=y\r\n",
                   {},
                   {{u"мгу", u"эм гэ у"}, {u"x", u"y"}},
                   2},
        SourceCase{"ownEnglish", "EN", "Dr=Doctor\r\n", {}, {{u"Dr", u"Doctor"}}, 1},
        SourceCase{"installedWhenNoOwn",
                   "EN",
                   std::nullopt,
                   "kg=kilograms\r\n",
                   {{u"kg", u"kilograms"}},
                   1},
        SourceCase{"ownHidesInstalled",
                   "RU",
                   "a=own\r\n",
                   "a=installed\r\nb=c\r\n",
                   {{u"a", u"own"}, {u"b", u""}},
                   1},
        SourceCase{"emptyOwnStillHidesInstalled", "EN", "", "a=b\r\n", {{u"a", u""}}, 0},
        SourceCase{"neitherLoadsNothing", "RU", std::nullopt, std::nullopt, {{u"a", u""}}, 0},
        SourceCase{
            "lastLineWithoutLineEnd", "EN", "a=1\r\nb=2", {}, {{u"a", u"1"}, {u"b", u""}}, 1}),
    [](const testing::TestParamInfo<SourceCase>& info) { return std::string(info.param.name); });

TEST(LibraryLoader, unreadableFileReportsAndStoresNothing) {
    Folders f;
    // A folder where the file should be: it exists but cannot be read as a file.
    ASSERT_TRUE(QDir().mkpath(f.base.filePath(QStringLiteral("dict/readerru.dic"))));
    f.writeInstalled("readerru.dic", "a=b\r\n");
    DictionaryStore store;
    Panel panel;
    std::unique_ptr<DictionaryLoader> loader(Start("RU", f, store, panel));
    QSignalSpy problems(loader.get(), &DictionaryLoader::problem);
    ASSERT_TRUE(WaitLoaded(loader.get()));
    EXPECT_TRUE(store[Language::Russian].empty());
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0][0].toString().contains(QStringLiteral("readerru.dic")));
    EXPECT_EQ(panel.texts, std::vector<QString>{QStringLiteral(" Ready ")});
}

TEST(LibraryLoader, keepsEarlierEntriesAndOverwritesThoseTheFileHas) {
    Folders f;
    f.writeOwn("readeren.dic", "b=file\r\nc=new\r\n");
    DictionaryStore store;
    store[Language::English].assign(u"a", u"kept");
    store[Language::English].assign(u"b", u"old");
    Panel panel;
    std::unique_ptr<DictionaryLoader> loader(Start("EN", f, store, panel));
    ASSERT_TRUE(WaitLoaded(loader.get()));
    EXPECT_EQ(store[Language::English].lookup(u"a"), u"kept");
    EXPECT_EQ(store[Language::English].lookup(u"b"), u"file");
    EXPECT_EQ(store[Language::English].lookup(u"c"), u"new");
}

TEST(LibraryLoader, twoLoadersOfOneLanguageKeepEachOthersEntries) {
    Folders f1, f2;
    f1.writeOwn("readerru.dic", "one=1\r\n");
    f2.writeOwn("readerru.dic", "two=2\r\n");
    DictionaryStore store;
    Panel panel;
    std::unique_ptr<DictionaryLoader> a(Start("RU", f1, store, panel));
    std::unique_ptr<DictionaryLoader> b(Start("RU", f2, store, panel));
    // Either may finish first, while the other is waited for.
    QSignalSpy aLoaded(a.get(), &DictionaryLoader::loaded),
        bLoaded(b.get(), &DictionaryLoader::loaded);
    ASSERT_TRUE(QTest::qWaitFor([&] { return aLoaded.size() == 1 && bLoaded.size() == 1; }, 30000));
    EXPECT_EQ(store[Language::Russian].lookup(u"one"), u"1");
    EXPECT_EQ(store[Language::Russian].lookup(u"two"), u"2");
    EXPECT_EQ(panel.texts.size(), 2u);
}

TEST(LibraryLoader, bothLanguagesLoadSideBySide) {
    Folders f;
    f.writeOwn("readerru.dic", "ru=1\r\n");
    f.writeOwn("readeren.dic", "en=2\r\n");
    DictionaryStore store;
    Panel panel;
    QProgressBar bar;
    std::unique_ptr<DictionaryLoader> ru(Start("RU", f, store, panel, &bar));
    std::unique_ptr<DictionaryLoader> en(Start("EN", f, store, panel, &bar));
    QSignalSpy ruLoaded(ru.get(), &DictionaryLoader::loaded);
    QSignalSpy enLoaded(en.get(), &DictionaryLoader::loaded);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return ruLoaded.size() == 1 && enLoaded.size() == 1; }, 30000));
    EXPECT_EQ(store[Language::Russian].lookup(u"ru"), u"1");
    EXPECT_EQ(store[Language::Russian].lookup(u"en"), u"");
    EXPECT_EQ(store[Language::English].lookup(u"en"), u"2");
    EXPECT_EQ(store[Language::English].lookup(u"ru"), u"");
    EXPECT_EQ(panel.texts,
              (std::vector<QString>{QStringLiteral(" Ready "), QStringLiteral(" Ready ")}));
    EXPECT_EQ(bar.value(), 0);
}

TEST(LibraryLoader, wordsReadAfterTheLoadAreSpokenAsTheirReplacements) {
    Folders f;
    // "МГУ=эм гэ у" in Windows-1251.
    f.writeOwn("readerru.dic", "\xCC\xC3\xD3=\xFD\xEC \xE3\xFD \xF3\r\n");
    DictionaryStore store;
    Segmenter reader(store);
    reader.setText(u"МГУ и МГУ");
    reader.position = 0;
    // A piece read before the entries arrive is spoken as written.
    EXPECT_EQ(reader.nextWord().speech, u"МГУ ");
    Panel panel;
    std::unique_ptr<DictionaryLoader> loader(Start("RU", f, store, panel));
    ASSERT_TRUE(WaitLoaded(loader.get()));
    EXPECT_EQ(reader.nextWord().speech, u"и ");
    const WordPiece w = reader.nextWord();
    EXPECT_EQ(w.replacement, u"эм гэ у");
    EXPECT_EQ(w.speech, u"эм гэ у");
}

TEST(LibraryLoader, rulesBesideTheDictionaryAreReadAndTheirBadLinesNamed) {
    Folders f;
    // The data folder's rules hide the installed ones, as its dictionary would.
    f.writeInstalled("readeren.rules", "e\\.g\\. = installed\n");
    f.writeOwn("readeren.rules", "e\\.g\\. = for example\r\n(bad = x\r\n");
    DictionaryStore store;
    Segmenter reader(store);
    Panel panel;
    std::unique_ptr<DictionaryLoader> loader(Start("EN", f, store, panel));
    QSignalSpy problems(loader.get(), &DictionaryLoader::problem);
    ASSERT_TRUE(WaitLoaded(loader.get()));
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0][0].toString().contains(QStringLiteral("readeren.rules:2:")))
        << problems[0][0].toString().toStdString();
    reader.setText(u"e.g. this");
    EXPECT_EQ(reader.nextWord().speech, u"for example ");
}

std::string BigDictionary(std::size_t entries) {
    std::string bytes;
    bytes.reserve(entries * 24);
    for (std::size_t i = 0; i < entries; ++i) {
        bytes += "word";
        bytes += std::to_string(i);
        bytes += "=spoken";
        bytes += std::to_string(i);
        bytes += "\r\n";
    }
    return bytes;
}

TEST(LibraryLoader, windowKeepsHandlingEventsWhileAMillionEntriesLoad) {
    Folders f;
    const std::string bytes = BigDictionary(1'000'000);
    f.writeOwn("readeren.dic", bytes);
    DictionaryStore store;
    Panel panel;
    QProgressBar bar;
    std::vector<int> values;
    QObject::connect(&bar, &QProgressBar::valueChanged, [&](int v) { values.push_back(v); });
    int ticks = 0;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start();
    std::unique_ptr<DictionaryLoader> loader(Start("EN", f, store, panel, &bar));
    ASSERT_TRUE(WaitLoaded(loader.get()));

    // The timer kept firing while the parse ran, and the bar moved through the file.
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(bar.maximum(), static_cast<int>(bytes.size()) + 1);
    EXPECT_EQ(bar.value(), 0);
    EXPECT_TRUE(std::any_of(values.begin(), values.end(),
                            [&](int v) { return v > 0 && v < bar.maximum(); }));
    EXPECT_EQ(store[Language::English].size(), 1'000'000u);
    EXPECT_EQ(store[Language::English].lookup(u"word0"), u"spoken0");
    EXPECT_EQ(store[Language::English].lookup(u"word999999"), u"spoken999999");
}

TEST(LibraryLoader, destroyedWhileParsingLeavesTheStoreAlone) {
    Folders f;
    f.writeOwn("readerru.dic", BigDictionary(1'000'000));
    DictionaryStore store;
    Panel panel;
    auto bar = std::make_unique<QProgressBar>();
    // The bar shows the worker's progress as it is when the bar is updated: below half way, the
    // parse has a good part still to go.
    bool parsing = false;
    QObject::connect(bar.get(), &QProgressBar::valueChanged, [&](int v) {
        if (v > 0 && v < bar->maximum() / 2) parsing = true;
    });
    std::unique_ptr<DictionaryLoader> loader(Start("RU", f, store, panel, bar.get()));
    QSignalSpy never(loader.get(), &DictionaryLoader::loaded);
    ASSERT_TRUE(QTest::qWaitFor([&] { return parsing; }, 10000)) << "the parse never started";
    bar.reset();  // the bar may go first: the loader must not touch it afterwards
    loader.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(store[Language::Russian].empty());
    EXPECT_TRUE(panel.texts.empty());
    EXPECT_EQ(never.size(), 0);
}

}  // namespace
}  // namespace vernalo
