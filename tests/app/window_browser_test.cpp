// The window's browser page, headless on the web engine: start-up without the engine, the
// address list and the settings file, page switching, opening an HTML file, and Say or the
// HTML-to-text button taking the page shown.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <fstream>
#include <sstream>

#include "browser/addressrules.h"
#include "browser/browserpage.h"
#include "browser/webtest.h"
#include "support/accessible.h"
#include "support/windowrig.h"

namespace vernalo {
namespace {

const bool kHeadless = test::PrepareHeadlessWebEngine();

// Children of this process whose command name starts with `prefix`.
int ChildProcesses(const std::string& prefix) {
    int n = 0;
    const std::string me = std::to_string(getpid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        std::ifstream stat("/proc/" + pid.toStdString() + "/stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        const auto open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        const std::string comm = line.substr(open + 1, close - open - 1);
        std::istringstream rest(line.substr(close + 2));
        std::string state, ppid;
        rest >> state >> ppid;
        if (ppid == me && comm.rfind(prefix, 0) == 0) ++n;
    }
    return n;
}

class WindowBrowser : public testing::Test, protected test::WindowRig {
protected:
    void SetUp() override { ASSERT_TRUE(kHeadless); }

    MainWindow& start() {
        modes = {{u"Russian voice", u"Nicolai", u"DIGALO"},
                 {u"English voice", u"Carol", u"DIGALO"}};
        return startWindow();
    }

    template <typename T>
    T* find(const char* name) {
        return window->findChild<T*>(QLatin1String(name));
    }
    BrowserPage& page() { return *window->documentPages()->browser(); }
    bool load(const std::function<void()>& go) {
        QSignalSpy finished(&page(), &BrowserPage::loadFinished);
        go();
        return finished.wait(15000);
    }
};

TEST_F(WindowBrowser, StartUpWithoutTheBrowserPageStartsNoWebEngine) {
    MainWindow& w = start();
    w.show();
    // Whatever the start-up queued has run.
    for (int i = 0; i < 3; ++i) {
        QApplication::sendPostedEvents();
        QApplication::processEvents();
    }
    EXPECT_FALSE(page().browserCreated());
    EXPECT_EQ(ChildProcesses("QtWebEngine"), 0);
    // Showing the page makes the browser.
    window->documentPages()->setCurrentIndex(static_cast<int>(DocumentPage::Browser));
    EXPECT_TRUE(page().browserCreated());
}

TEST_F(WindowBrowser, AboutBlankLeavesTheEditorEmpty) {
    MainWindow& w = start();
    w.editor()->setPlainText(QStringLiteral("old text"));
    page().setAddressText(QStringLiteral("about:blank"));
    ASSERT_TRUE(load([&] { w.documentPages()->browser()->go(); }));
    w.controllers().documents.takeBrowserPageSource();
    EXPECT_TRUE(w.editor()->toPlainText().isEmpty());
    w.editor()->setPlainText(QStringLiteral("old text"));
    w.controllers().reading.view().importBrowserPage();
    EXPECT_TRUE(w.editor()->toPlainText().isEmpty());
    // Transform HTML to text on the blank page empties the editor too, and Ctrl+Z undoes it.
    w.editor()->setPlainText(QStringLiteral("old text"));
    w.documentPages()->setCurrentIndex(static_cast<int>(DocumentPage::Browser));
    w.controllers().documents.htmlToText();
    EXPECT_TRUE(w.editor()->toPlainText().isEmpty());
    w.editor()->undoStep();
    EXPECT_EQ(w.editor()->toPlainText(), QStringLiteral("old text"));
}

TEST_F(WindowBrowser, ServedFramesetGoesIntoTheEditorAsSourceWithNumberedMarkers) {
    MainWindow& w = start();
    test::WebServer site;
    site.page(QStringLiteral("/a.html"), "<html><body>FIRST</body></html>");
    site.page(QStringLiteral("/b.html"), "<html><body>SECOND</body></html>");
    site.page(QStringLiteral("/"),
              "<html><frameset rows=\"50%,50%\"><frame src=\"a.html\"><frame src=\"b.html\">"
              "</frameset></html>");
    page().setAddressText(site.base() + QStringLiteral("/"));
    ASSERT_TRUE(load([&] { w.documentPages()->browser()->go(); }));
    w.controllers().documents.takeBrowserPageSource();
    const QString text = w.editor()->toPlainText();
    const qsizetype m1 = text.indexOf(QStringLiteral("- - - Frame 1 - - -"));
    const qsizetype m2 = text.indexOf(QStringLiteral("- - - Frame 2 - - -"));
    ASSERT_GT(m1, text.indexOf(QStringLiteral("<frameset"))) << text.toStdString();
    EXPECT_LT(m1, text.indexOf(QStringLiteral("FIRST")));
    EXPECT_LT(text.indexOf(QStringLiteral("FIRST")), m2);
    EXPECT_LT(m2, text.indexOf(QStringLiteral("SECOND")));
    EXPECT_EQ(text.indexOf(QStringLiteral("- - - Frame 3")), -1);
}

TEST_F(WindowBrowser, SayOnTheBrowserPageReadsTheConvertedPage) {
    MainWindow& w = start();
    // Say reaches the page through the window's ImportBrowserPage.
    w.editor()->setPlainText(QStringLiteral("probe"));
    w.controllers().reading.view().importBrowserPage();
    if (w.editor()->toPlainText() == QStringLiteral("probe"))
        GTEST_SKIP() << "the window's ImportBrowserPage does not take the browser page yet";

    test::WebServer site;
    site.page(QStringLiteral("/"),
              "<html><head><title>Skip me</title></head><body><p>Good morning.</p></body></html>");
    w.editor()->setPlainText(QStringLiteral("Old text."));
    page().setAddressText(site.base() + QStringLiteral("/"));
    ASSERT_TRUE(load([&] { w.documentPages()->browser()->go(); }));
    ASSERT_TRUE(w.controllers().reading.view().browserPageShown());
    test::FindAccessible<QToolButton>(window.get(), "Say text/Pause")->click();
    const QString text = w.editor()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Good morning."))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Old text.")));
    EXPECT_FALSE(text.contains(QStringLiteral("<p>")));
    EXPECT_FALSE(text.contains(QStringLiteral("Skip me")));
    ASSERT_FALSE(enVoice->spoken.empty());
    EXPECT_NE(QString::fromStdU16String(enVoice->spoken.front()).indexOf(QStringLiteral("Good")),
              -1);
}

TEST_F(WindowBrowser, ImportTakesTheServedPageAndConvertsIt) {
    MainWindow& w = start();
    test::WebServer site;
    site.page(QStringLiteral("/"),
              "<html><head><title>Skip me</title></head><body><p>Good morning.</p>"
              "<p>\xd0\x94\xd0\xbe\xd0\xb1\xd1\x80\xd0\xbe\xd0\xb5 "
              "\xd1\x83\xd1\x82\xd1\x80\xd0\xbe.</p></body></html>");
    w.editor()->setPlainText(QStringLiteral("Old text."));
    page().setAddressText(site.base() + QStringLiteral("/"));
    ASSERT_TRUE(load([&] { w.documentPages()->browser()->go(); }));
    w.controllers().reading.view().importBrowserPage();
    const QString text = w.editor()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Good morning."))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8(
        "\xd0\x94\xd0\xbe\xd0\xb1\xd1\x80\xd0\xbe\xd0\xb5 \xd1\x83\xd1\x82\xd1\x80\xd0\xbe.")))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Old text.")));
    EXPECT_FALSE(text.contains(QStringLiteral("<p>")));
    EXPECT_FALSE(text.contains(QStringLiteral("Skip me")));
}

TEST_F(WindowBrowser, AddressListKeepsElevenAndIsWrittenAtClose) {
    MainWindow& w = start();
    for (int i = 0; i < 12; ++i) {
        page().setAddressText(QStringLiteral("site%1.org").arg(i));
        test::FindAccessible<QToolButton>(window.get(), "Add address")->click();
    }
    page().setAddressText(QStringLiteral("site4.org"));
    test::FindAccessible<QToolButton>(window.get(), "Add address")->click();     // now twice
    test::FindAccessible<QToolButton>(window.get(), "Remove address")->click();  // removes both
    // Changing the list alone is enough for it to be written.
    w.close();
    window.reset();
    const std::string ini = read("data/reader.ini");
    EXPECT_NE(ini.find("0=site2.org"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("site4.org"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("site0.org"), std::string::npos);
    EXPECT_NE(ini.find("8=site11.org"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("9="), std::string::npos);
}

struct SavedUrlsCase {
    const char* section;
    std::vector<std::u16string> entries;
    const char16_t* editText;
};

class WindowBrowserSavedUrls : public WindowBrowser,
                               public testing::WithParamInterface<SavedUrlsCase> {};

TEST_P(WindowBrowserSavedUrls, AddressBoxShowsTheListReadAtStart) {
    write("data/reader.ini", GetParam().section);
    start();
    EXPECT_EQ(page().urls(), GetParam().entries);
    EXPECT_EQ(page().addressText(), QString::fromStdU16String(GetParam().editText));
    EXPECT_FALSE(page().browserCreated());
}

INSTANTIATE_TEST_SUITE_P(
    Settings, WindowBrowserSavedUrls,
    testing::Values(SavedUrlsCase{"[URL]\n0=a.org\n1=b.org\n", {u"a.org", u"b.org"}, u"b.org"},
                    SavedUrlsCase{
                        "[URL]\n0=a.org\n1=b.org\n3=d.org\n", {u"a.org", u"b.org", u"d.org"}, u""},
                    SavedUrlsCase{"[URL]\n10=k.org\n", {}, u""}, SavedUrlsCase{"", {}, u""}));

TEST_F(WindowBrowser, OpeningAnHtmlFileShowsItWithItsPathInTheAddressBox) {
    MainWindow& w = start();
    page().setUrls({u"kept.org"}, u"kept.org");
    const std::string file = write("page one.html", "<html><body>ONE</body></html>");
    const QString path = QString::fromStdString(file);
    ASSERT_TRUE(load([&] { w.controllers().documents.openInBrowserPage(path); }));
    EXPECT_EQ(page().addressText(), path);
    EXPECT_EQ(page().urls(), std::vector<std::u16string>{u"kept.org"});
    EXPECT_EQ(page().location(), QUrl::fromLocalFile(path));
    EXPECT_TRUE(w.controllers().reading.view().browserPageShown());
    EXPECT_FALSE(test::FindAccessible<QToolButton>(window.get(), "Font settings")->isEnabled());
    EXPECT_TRUE(test::FindAccessible<QLineEdit>(window.get(), "Document file")->isHidden());
    EXPECT_EQ(test::FindAccessible<QProgressBar>(window.get(), "Progress")->value(), 0);
}

TEST_F(WindowBrowser, SwitchingPagesShowsSpeechSettingsAndBackReenablesTheFontButton) {
    MainWindow& w = start();
    DocumentPages* pages = w.documentPages();
    auto* font = test::FindAccessible<QToolButton>(window.get(), "Font settings");
    font->click();
    ASSERT_EQ(w.settingsPage(), SettingsPage::Font);
    pages->setCurrentIndex(static_cast<int>(DocumentPage::Browser));
    EXPECT_EQ(w.settingsPage(), SettingsPage::Speech);
    EXPECT_FALSE(font->isEnabled());
    // The buttons show the page that shows.
    EXPECT_FALSE(font->isChecked());
    EXPECT_TRUE(test::FindAccessible<QToolButton>(window.get(), "Speech settings")->isChecked());
    EXPECT_TRUE(w.editor()->isHidden());
    EXPECT_TRUE(test::FindAccessible<QLineEdit>(window.get(), "Document file")->isHidden());
    w.showSettingsPage(
        SettingsPage::Options);  // the settings page may change while the browser shows
    pages->setCurrentIndex(static_cast<int>(DocumentPage::Text));
    EXPECT_TRUE(font->isEnabled());
    EXPECT_EQ(w.settingsPage(), SettingsPage::Options);
    EXPECT_FALSE(w.editor()->isHidden());
    EXPECT_FALSE(test::FindAccessible<QLineEdit>(window.get(), "Document file")->isHidden());
}

TEST_F(WindowBrowser, GoFromTheTextPageBringsTheBrowserWithoutTouchingSettingsPage) {
    MainWindow& w = start();
    w.showSettingsPage(SettingsPage::Font);
    const std::string file = write("p.html", "<p>x</p>");
    page().setAddressText(QString::fromStdString(file));
    ASSERT_TRUE(load([&] { test::FindAccessible<QPushButton>(window.get(), "GO!")->click(); }));
    EXPECT_TRUE(w.controllers().reading.view().browserPageShown());
    EXPECT_EQ(w.settingsPage(), SettingsPage::Font);
    EXPECT_FALSE(test::FindAccessible<QToolButton>(window.get(), "Font settings")->isEnabled());
    EXPECT_TRUE(page().urls().empty());
}

TEST_F(WindowBrowser, RefusedAddressIsReportedAndNothingLoads) {
    MainWindow& w = start();
    page().setAddressText(QStringLiteral("javascript:alert(1)"));
    w.documentPages()->browser()->go();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("javascript:alert(1)")));
    EXPECT_TRUE(page().location().isEmpty());
}

}  // namespace
}  // namespace vernalo
