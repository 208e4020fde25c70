// The browser page on the web engine, headless: the address bar, and a page's source with
// its frames from file URLs and from web servers on 127.0.0.1.

#include "browser/browserpage.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "browser/webtest.h"
#include "browser/addressrules.h"

namespace vernalo {
namespace {

const bool kHeadless = test::PrepareHeadlessWebEngine();

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
std::u16string U(const char* s) {
    return QString::fromUtf8(s).toStdU16String();
}

QByteArray TwoFrames(const QString& first, const QString& second) {
    return "<html><frameset cols=\"50%,50%\"><frame src=\"" + first.toUtf8() + "\"><frame src=\"" +
           second.toUtf8() + "\"></frameset></html>";
}

class Browser : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(kHeadless); }

    // Loads and waits for the end of the load; false when it did not finish in time.
    bool load(const QString& address) {
        QSignalSpy finished(&page, &BrowserPage::loadFinished);
        if (!page.navigate(address)) return false;
        return finished.wait(15000);
    }

    BrowserPage page;
    test::TempDir dir;
};

TEST_F(Browser, BrowserIsNotMadeUntilFirstUse) {
    page.setUrls({u"example.org"}, u"example.org");
    page.addAddress();
    page.removeAddress();
    EXPECT_FALSE(page.browserCreated());
    EXPECT_TRUE(page.findChildren<QWebEngineView*>().isEmpty());
    // Nothing to take from a browser that does not exist.
    EXPECT_EQ(page.pageText(), u"");
}

TEST_F(Browser, AboutBlankGivesNothing) {
    ASSERT_TRUE(load(QStringLiteral("about:blank")));
    EXPECT_EQ(page.pageText(), u"");
}

TEST_F(Browser, PlainPageGivesItsSource) {
    const std::string file =
        dir.write("p.html", "<html><body><p>Hello \xd0\x9c\xd0\xb8\xd1\x80</p></body></html>");
    ASSERT_TRUE(load(Q(file)));
    EXPECT_EQ(page.location(), QUrl::fromLocalFile(Q(file)));
    const std::u16string text = page.pageText();
    EXPECT_NE(text.find(U("<p>Hello \xd0\x9c\xd0\xb8\xd1\x80</p>")), std::u16string::npos);
    EXPECT_EQ(text.find(u"- - - Frame"), std::u16string::npos);
}

TEST_F(Browser, FramesetOfOneFrameIsReadAsItsOuterDocumentOnly) {
    dir.write("a.html", "<html><body>ALPHA</body></html>");
    const std::string top = dir.write(
        "top.html", "<html><frameset rows=\"*\"><frame src=\"a.html\"></frameset></html>");
    ASSERT_TRUE(load(Q(top)));
    const std::u16string text = page.pageText();
    EXPECT_NE(text.find(u"<frameset"), std::u16string::npos);
    EXPECT_EQ(text.find(u"ALPHA"), std::u16string::npos);
    EXPECT_EQ(text.find(u"- - - Frame"), std::u16string::npos);
}

TEST_F(Browser, FramesetOfTwoLocalFramesGivesPageThenEachFrameAfterItsMarker) {
    dir.write("a.html", "<html><body>ALPHA</body></html>");
    dir.write("b.html", "<html><body>BETA</body></html>");
    const std::string top =
        dir.write("top.html",
                  "<html><frameset cols=\"50%,50%\"><frame src=\"a.html\"><frame src=\"b.html\">"
                  "</frameset></html>");
    ASSERT_TRUE(load(Q(top)));
    const std::u16string text = page.pageText();
    const auto outer = text.find(u"<frameset");
    const auto m1 = text.find(FrameMarker(1) + u"\n");
    const auto alpha = text.find(u"ALPHA");
    const auto m2 = text.find(FrameMarker(2) + u"\n");
    const auto beta = text.find(u"BETA");
    ASSERT_NE(outer, std::u16string::npos);
    ASSERT_NE(m1, std::u16string::npos) << QString::fromStdU16String(text).toStdString();
    ASSERT_NE(m2, std::u16string::npos);
    EXPECT_LT(outer, m1);
    EXPECT_LT(m1, alpha);
    EXPECT_LT(alpha, m2);
    EXPECT_LT(m2, beta);
    EXPECT_EQ(text.find(FrameMarker(3)), std::u16string::npos);
}

TEST_F(Browser, ServedFramesetReadsFramesOfAnotherOriginToo) {
    test::WebServer site, other;
    other.page(QStringLiteral("/b.html"), "<html><body>FOREIGN BETA</body></html>");
    site.page(QStringLiteral("/a.html"), "<html><body>HOME ALPHA</body></html>");
    site.page(QStringLiteral("/"),
              TwoFrames(QStringLiteral("/a.html"), other.base() + QStringLiteral("/b.html")));
    ASSERT_TRUE(load(site.base() + QStringLiteral("/")));
    const std::u16string text = page.pageText();
    const auto m1 = text.find(FrameMarker(1));
    const auto m2 = text.find(FrameMarker(2));
    ASSERT_NE(m1, std::u16string::npos) << QString::fromStdU16String(text).toStdString();
    ASSERT_NE(m2, std::u16string::npos) << QString::fromStdU16String(text).toStdString();
    EXPECT_LT(m1, text.find(u"HOME ALPHA"));
    EXPECT_LT(m2, text.find(u"FOREIGN BETA"));
    EXPECT_LT(text.find(u"HOME ALPHA"), m2);
}

TEST_F(Browser, PageScriptsCannotSeeTheFrameQuestion) {
    // The framed page records every message its own scripts receive; our question is not
    // among them, so no page learns how to ask.
    test::WebServer site, other;
    other.page(QStringLiteral("/b.html"),
               "<html><body>B<script>window.addEventListener('message', function (e) {"
               "document.body.setAttribute('data-seen', 'yes'); });</script></body></html>");
    site.page(QStringLiteral("/a.html"), "<html><body>A</body></html>");
    site.page(QStringLiteral("/"),
              TwoFrames(QStringLiteral("/a.html"), other.base() + QStringLiteral("/b.html")));
    ASSERT_TRUE(load(site.base() + QStringLiteral("/")));
    page.pageText();
    const std::u16string again = page.pageText();
    ASSERT_NE(again.find(FrameMarker(2)), std::u16string::npos);
    EXPECT_EQ(again.find(u"data-seen=\"yes\""), std::u16string::npos);
}

TEST_F(Browser, BusyBrowserGivesNothing) {
    test::WebServer site;
    site.page(QStringLiteral("/slow"), "<html><body>SLOW</body></html>");
    site.delay(QStringLiteral("/slow"), 3000);
    ASSERT_TRUE(page.navigate(site.base() + QStringLiteral("/slow")));
    QTRY_VERIFY_WITH_TIMEOUT(page.busy(), 5000);
    EXPECT_EQ(page.pageText(), u"");
}

TEST_F(Browser, LocalPageCannotReadRemotePages) {
    test::WebServer site;
    site.page(QStringLiteral("/secret"), "SECRET");
    const std::string file =
        dir.write("peek.html", ("<html><head><title>start</title></head><body><script>"
                                "fetch('" +
                                site.base().toStdString() +
                                "/secret')"
                                ".then(function (r) { return r.text(); })"
                                ".then(function (t) { document.title = 'read:' + t; })"
                                ".catch(function () { document.title = 'blocked'; });"
                                "</script></body></html>"));
    ASSERT_TRUE(load(Q(file)));
    QWebEnginePage* web = page.browser()->page();
    QTRY_VERIFY_WITH_TIMEOUT(web->title() != QStringLiteral("start"), 10000);
    EXPECT_EQ(web->title(), QStringLiteral("blocked"));
}

TEST_F(Browser, LoadReportsProgressUpToItsMaximum) {
    QSignalSpy progress(&page, &BrowserPage::progressChange);
    ASSERT_TRUE(load(Q(dir.write("p.html", "<p>x</p>"))));
    ASSERT_FALSE(progress.isEmpty());
    bool sawFull = false;
    for (const auto& args : progress) {
        EXPECT_EQ(args.at(1).toInt(), 100);
        sawFull = sawFull || args.at(0).toInt() == 100;
    }
    EXPECT_TRUE(sawFull);
}

// ---- Address bar ----

TEST_F(Browser, AddressThePageDoesNotOpenIsRefusedWithAMessage) {
    QSignalSpy refused(&page, &BrowserPage::navigationRefused);
    QSignalSpy go(&page, &BrowserPage::goRequested);
    page.setAddressText(QStringLiteral("javascript:alert(1)"));
    page.go();
    EXPECT_EQ(go.size(), 1);
    ASSERT_EQ(refused.size(), 1);
    EXPECT_TRUE(refused[0][0].toString().contains(QStringLiteral("javascript:alert(1)")));
    EXPECT_FALSE(page.browserCreated());
    // An empty box is nothing to do, and nothing to complain about.
    page.setAddressText(QString());
    page.go();
    EXPECT_EQ(refused.size(), 1);
}

TEST_F(Browser, EnterReleasedInAddressBoxGoesThereWithoutListingIt) {
    const std::string file = dir.write("p.html", "<p>x</p>");
    page.setAddressText(Q(file));
    QSignalSpy finished(&page, &BrowserPage::loadFinished);
    // A keyboard's keys go to the combo box, which has the focus, not to its line edit.
    QTest::keyClick(page.addressBox(), Qt::Key_Return);
    ASSERT_TRUE(finished.wait(15000));
    EXPECT_EQ(page.location(), QUrl::fromLocalFile(Q(file)));
    EXPECT_EQ(page.addressBox()->count(), 0);
    EXPECT_EQ(page.addressText(), Q(file));
}

TEST_F(Browser, OtherKeysInAddressBoxDoNothing) {
    page.setAddressText(QStringLiteral("example.org"));
    QSignalSpy go(&page, &BrowserPage::goRequested);
    QTest::keyClick(page.addressBox()->lineEdit(), Qt::Key_Tab);
    QTest::keyClick(page.addressBox()->lineEdit(), Qt::Key_A);
    EXPECT_TRUE(go.isEmpty());
    EXPECT_FALSE(page.browserCreated());
}

TEST_F(Browser, AddAndRemoveButtonsKeepTheListAndTheTypedText) {
    QSignalSpy changed(&page, &BrowserPage::urlsChanged);
    for (int i = 0; i < 12; ++i) {
        page.setAddressText(QStringLiteral("site%1.org").arg(i));
        page.addButton()->click();
    }
    ASSERT_EQ(page.urls().size(), 11u);
    EXPECT_EQ(page.urls().front(), u"site1.org");
    EXPECT_EQ(page.addressText(), QStringLiteral("site11.org"));

    page.setAddressText(QStringLiteral("site5.org"));
    page.addButton()->click();  // now twice, not adjacent
    EXPECT_EQ(page.urls().front(), u"site2.org");
    page.removeButton()->click();
    const auto list = page.urls();
    EXPECT_EQ(std::count(list.begin(), list.end(), u"site5.org"), 0);
    EXPECT_EQ(list.size(), 9u);
    EXPECT_EQ(page.addressText(), QStringLiteral("site5.org"));  // the typed text stays
    EXPECT_EQ(changed.size(), 14);
    page.removeButton()->click();  // nothing left to remove
    EXPECT_EQ(changed.size(), 14);
}

TEST_F(Browser, ControlsCarryNamesHintsAndTakeTheFocus) {
    for (QWidget* w : std::initializer_list<QWidget*>{page.removeButton(), page.addButton(),
                                                      page.addressBox(), page.goButton()}) {
        EXPECT_FALSE(w->objectName().isEmpty());
        EXPECT_TRUE(w->focusPolicy() & Qt::TabFocus) << w->objectName().toStdString();
    }
    EXPECT_EQ(page.goButton()->text(), QStringLiteral("GO!"));
    EXPECT_EQ(page.removeButton()->toolTip(), page.removeButton()->accessibleName());
    EXPECT_FALSE(page.removeButton()->accessibleName().isEmpty());
    EXPECT_FALSE(page.addButton()->accessibleName().isEmpty());
    EXPECT_FALSE(page.addressBox()->accessibleName().isEmpty());
}

}  // namespace
}  // namespace vernalo
