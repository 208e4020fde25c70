// The window and its dictionary loaders: " Ready " once every loader is done, and a reading
// asked for meanwhile waits for the entries.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/window/texteditor.h"
#include "support/accessible.h"
#include "support/windowrig.h"

namespace vernalo {
namespace {

// Windows-1251: "Москва=Столица".
constexpr char kMoscowEntry[] = "\xCC\xEE\xF1\xEA\xE2\xE0=\xD1\xF2\xEE\xEB\xE8\xF6\xE0\r\n";

std::string ManyEntries(std::size_t n) {
    std::string bytes;
    for (std::size_t i = 0; i < n; ++i)
        bytes += "word" + std::to_string(i) + "=spoken\r\n";
    return bytes;
}

class WindowDictionaries : public testing::Test, protected test::WindowRig {
protected:
    void dictionary(const char* name, const std::string& bytes) {
        write(std::string("dict/") + name, bytes);
    }
    // The loaders start; nothing of theirs lands before the test lets events run.
    MainWindow& start() {
        modes = {{u"Russian voice", u"Nicolai", u"DIGALO"},
                 {u"English voice", u"Carol", u"DIGALO"}};
        MainWindow::Options o = options();
        o.dictionaryDir = QString::fromStdString(path("none"));
        return startWindow(std::move(o));
    }
    QToolButton* say() { return test::FindAccessible<QToolButton>(window.get(), "Say text/Pause"); }
    bool ready() {
        return test::WaitFor(
            [&] { return window->statusText(StatusPanel::Activity) == QStringLiteral(" Ready "); },
            60000);
    }
};

TEST_F(WindowDictionaries, readyShowsOnlyOnceEveryLoaderIsDone) {
    dictionary("readerru.dic", ManyEntries(1'000'000));
    dictionary("readeren.dic", "Dr=Doctor\r\n");
    MainWindow& w = start();
    EXPECT_EQ(w.statusText(StatusPanel::Activity), QStringLiteral("Loading data ..."));
    ASSERT_TRUE(test::WaitFor(
        [&] { return !w.controllers().reading.dictionaries()[Language::English].empty(); }));
    if (w.controllers().reading.dictionaries()[Language::Russian].empty()) {
        EXPECT_EQ(w.statusText(StatusPanel::Activity), QStringLiteral("Loading data ..."));
    }
    ASSERT_TRUE(ready());
    EXPECT_EQ(w.controllers().reading.dictionaries()[Language::Russian].size(), 1'000'000u);
}

// Say pressed while the Russian entries are still being read: nothing is spoken until they
// are in; then the reading starts with them, unless Say was released meanwhile.
struct WaitCase {
    const char* name;
    bool releasedWhileLoading;
};

class ReadingWhileLoading : public WindowDictionaries,
                            public testing::WithParamInterface<WaitCase> {};

TEST_P(ReadingWhileLoading, waitsForTheEntries) {
    dictionary("readerru.dic", ManyEntries(200'000) + kMoscowEntry);
    MainWindow& w = start();
    w.editor()->setPlainText(QStringLiteral("Москва."));
    say()->click();
    EXPECT_TRUE(say()->isChecked());
    EXPECT_TRUE(w.controllers().reading.waitsForDictionaries());
    EXPECT_FALSE(w.controllers().reading.session().running());
    EXPECT_EQ(w.statusText(StatusPanel::Activity), QStringLiteral("Loading data ..."));
    if (GetParam().releasedWhileLoading) {
        say()->click();
        ASSERT_TRUE(ready());
        QApplication::processEvents();
        EXPECT_TRUE(ruVoice->spoken.empty());
        EXPECT_FALSE(say()->isChecked());
        EXPECT_FALSE(w.controllers().reading.session().running());
    } else {
        ASSERT_TRUE(test::WaitFor([&] { return !ruVoice->spoken.empty(); }, 60000));
        EXPECT_EQ(ruVoice->spoken.front().substr(0, 7), u"Столица");
        EXPECT_EQ(w.controllers().reading.dictionaries()[Language::Russian].size(), 200'001u);
    }
    EXPECT_FALSE(w.controllers().reading.waitsForDictionaries());
}

INSTANTIATE_TEST_SUITE_P(Say, ReadingWhileLoading,
                         testing::Values(WaitCase{"keptDown", false},
                                         WaitCase{"releasedWhileLoading", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vernalo
