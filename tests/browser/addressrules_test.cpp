// Address rules of the browser page: typed addresses, the address list, the editor's text.

#include "browser/addressrules.h"

#include <gtest/gtest.h>

#include "support/casename.h"

namespace vernalo {
namespace {

struct AddressCase {
    const char* name;
    const char16_t* typed;
    AddressKind kind;
    const char16_t* url;
};

void PrintTo(const AddressCase& c, std::ostream* os) {
    *os << c.name;
}

class ResolveAddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(ResolveAddressTest, TypedAddressBecomesWhatTheBrowserLoads) {
    const AddressCase& c = GetParam();
    const Address a = ResolveAddress(c.typed, u"/home/anna", u"/srv/pages");
    EXPECT_EQ(a.kind, c.kind);
    EXPECT_EQ(a.url, std::u16string(c.url));
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, ResolveAddressTest,
    testing::Values(
        // Full URLs stay as typed; the scheme's case does not matter.
        AddressCase{"urlWithQueryAndFragment", u"http://example.org/a?b=1#c", AddressKind::Url,
                    u"http://example.org/a?b=1#c"},
        AddressCase{"schemeInCapitals", u"HTTPS://Example.org", AddressKind::Url,
                    u"HTTPS://Example.org"},
        AddressCase{"aboutBlank", u"about:blank", AddressKind::Url, u"about:blank"},
        AddressCase{"fileUrl", u"file:///tmp/x.html", AddressKind::Url, u"file:///tmp/x.html"},
        AddressCase{"urlTrimmed", u"  http://example.org \n", AddressKind::Url,
                    u"http://example.org"},
        // Local paths become file URLs, percent-encoded as UTF-8.
        AddressCase{"localPath", u"/tmp/page.html", AddressKind::LocalPath,
                    u"file:///tmp/page.html"},
        AddressCase{"localPathSpecialCharacters", u"/tmp/a b#1?.html", AddressKind::LocalPath,
                    u"file:///tmp/a%20b%231%3F.html"},
        AddressCase{"localPathCyrillic", u"/tmp/\u0441\u0442\u0440.htm", AddressKind::LocalPath,
                    u"file:///tmp/%D1%81%D1%82%D1%80.htm"},
        AddressCase{"localPathOutsideTheBasicPlane", u"/tmp/\U0001F600", AddressKind::LocalPath,
                    u"file:///tmp/%F0%9F%98%80"},
        AddressCase{"localPathPercent", u"/tmp/100%.html", AddressKind::LocalPath,
                    u"file:///tmp/100%25.html"},
        AddressCase{"homeFolder", u"~/docs/p.html", AddressKind::LocalPath,
                    u"file:///home/anna/docs/p.html"},
        AddressCase{"workingFolder", u"./p.html", AddressKind::LocalPath,
                    u"file:///srv/pages/./p.html"},
        AddressCase{"parentOfWorkingFolder", u"../p.html", AddressKind::LocalPath,
                    u"file:///srv/pages/../p.html"},
        // Bare host names become http URLs, with port and path kept.
        AddressCase{"hostName", u"example.org", AddressKind::HostName, u"http://example.org"},
        AddressCase{"hostNameWithPath", u"example.org/news?id=3", AddressKind::HostName,
                    u"http://example.org/news?id=3"},
        AddressCase{"hostNameWithPort", u"localhost:8080", AddressKind::HostName,
                    u"http://localhost:8080"},
        AddressCase{"ipAddressWithPortAndPath", u"127.0.0.1:8000/x", AddressKind::HostName,
                    u"http://127.0.0.1:8000/x"},
        AddressCase{"cyrillicHostName", u"\u043f\u0440\u0438\u043c\u0435\u0440.\u0440\u0444",
                    AddressKind::HostName,
                    u"http://\u043f\u0440\u0438\u043c\u0435\u0440.\u0440\u0444"},
        // Nothing, or nothing the page should open.
        AddressCase{"empty", u"", AddressKind::Empty, u""},
        AddressCase{"blanksOnly", u"   \t", AddressKind::Empty, u""},
        AddressCase{"javascript", u"javascript:alert(1)", AddressKind::Invalid, u""},
        AddressCase{"javascriptAnyCase", u"JavaScript:void(0)", AddressKind::Invalid, u""},
        AddressCase{"mailto", u"mailto:a@b.c", AddressKind::Invalid, u""},
        AddressCase{"ftp", u"ftp://example.org", AddressKind::Invalid, u""},
        AddressCase{"badPort", u"localhost:80x", AddressKind::Invalid, u""},
        AddressCase{"blankInside", u"hello world", AddressKind::Invalid, u""},
        AddressCase{"controlCharacter", u"exa\u0007mple.org", AddressKind::Invalid, u""},
        AddressCase{"lineBreakInUrl", u"http://a\nb", AddressKind::Invalid, u""},
        AddressCase{"hiddenFileName", u".hidden", AddressKind::Invalid, u""},
        AddressCase{"windowsPath", u"C:\\pages\\a.html", AddressKind::Invalid, u""}),
    test::CaseName);

TEST(ResolveAddress, HomeAndWorkingFolderMustBeKnownForRelativePaths) {
    EXPECT_EQ(ResolveAddress(u"~/p.html").kind, AddressKind::Invalid);
    EXPECT_EQ(ResolveAddress(u"./p.html").kind, AddressKind::Invalid);
    EXPECT_EQ(ResolveAddress(u"~", u"/home/anna").url, u"file:///home/anna/");
}

TEST(FileUrl, LoneSurrogateBecomesReplacementCharacter) {
    const std::u16string path = u"/tmp/a" + std::u16string(1, char16_t(0xD800)) + u"b";
    EXPECT_EQ(FileUrl(path), u"file:///tmp/a%EF%BF%BDb");
}

// ---- The address list ----

std::vector<std::u16string> Numbered(int n) {
    std::vector<std::u16string> list;
    for (int i = 0; i < n; ++i)
        list.push_back(u"u" + std::u16string(1, char16_t(u'a' + i)));
    return list;
}

TEST(AddUrl, TwelfthAddressDropsTheFirst) {
    std::vector<std::u16string> list;
    for (const auto& u : Numbered(11))
        AddUrl(list, u);
    ASSERT_EQ(list.size(), 11u);
    AddUrl(list, u"new");
    ASSERT_EQ(list.size(), 11u);
    EXPECT_EQ(list.front(), u"ub");
    EXPECT_EQ(list.back(), u"new");
}

TEST(AddUrl, OverlongListFromElsewhereLosesOnlyItsFirstEntryPerAdd) {
    // The rule drops one entry per add, whatever the length.
    std::vector<std::u16string> list = Numbered(13);
    AddUrl(list, u"x");
    EXPECT_EQ(list.size(), 13u);
    EXPECT_EQ(list.front(), u"ub");
}

TEST(AddUrl, EmptyAndDuplicateTextsAreAdded) {
    std::vector<std::u16string> list;
    AddUrl(list, u"a");
    AddUrl(list, u"a");
    AddUrl(list, u"");
    EXPECT_EQ(list, (std::vector<std::u16string>{u"a", u"a", u""}));
}

struct RemoveCase {
    const char* name;
    std::vector<std::u16string> before;
    std::u16string text;
    std::vector<std::u16string> after;
    std::size_t removed;
};

void PrintTo(const RemoveCase& c, std::ostream* os) {
    *os << c.name;
}

class RemoveUrlTest : public testing::TestWithParam<RemoveCase> {};

TEST_P(RemoveUrlTest, RemovesEveryEqualEntry) {
    RemoveCase c = GetParam();
    EXPECT_EQ(RemoveUrl(c.before, c.text), c.removed);
    EXPECT_EQ(c.before, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, RemoveUrlTest,
    testing::Values(RemoveCase{"everyEqualEntry", {u"a", u"b", u"a"}, u"a", {u"b"}, 2},
                    RemoveCase{"allEntries", {u"a", u"a"}, u"a", {}, 2},
                    RemoveCase{"caseSensitive", {u"a", u"A"}, u"a", {u"A"}, 1},
                    RemoveCase{"exactText", {u"a ", u"a"}, u"a", {u"a "}, 1},
                    RemoveCase{"emptyEntries", {u"", u"a", u""}, u"", {u"a"}, 2},
                    RemoveCase{"absentText", {u"a"}, u"z", {u"a"}, 0},
                    RemoveCase{"emptyList", {}, u"a", {}, 0}),
    test::CaseName);

// ---- The editor's text ----

TEST(FrameMarker, StartsWithLineFeedAndCarriesTheNumber) {
    EXPECT_EQ(FrameMarker(1), u"\n- - - Frame 1 - - -");
    EXPECT_EQ(FrameMarker(12), u"\n- - - Frame 12 - - -");
}

TEST(BrowserText, SingleFrameOrNoneGivesThePageAlone) {
    EXPECT_EQ(BrowserText(u"<html>p</html>", {}), u"<html>p</html>");
    EXPECT_EQ(BrowserText(u"<html>p</html>", {u"<html>f</html>"}), u"<html>p</html>");
}

TEST(BrowserText, FramesFollowThePageEachAfterItsMarker) {
    EXPECT_EQ(BrowserText(u"<p>", {u"<a>", u"<b>"}),
              u"<p>\n\n- - - Frame 1 - - -\n<a>\n\n- - - Frame 2 - - -\n<b>");
}

TEST(BrowserText, UnreadableFrameIsSkippedAndOthersKeepTheirNumbers) {
    EXPECT_EQ(BrowserText(u"<p>\n", {std::nullopt, u"<b>", std::nullopt}),
              u"<p>\n\n- - - Frame 2 - - -\n<b>");
}

TEST(BrowserText, LineBreaksBecomeSingleLineFeeds) {
    EXPECT_EQ(BrowserText(u"a\r\nb\rc", {u"x\r\ny", u"z\r"}),
              u"a\nb\nc\n\n- - - Frame 1 - - -\nx\ny\n\n- - - Frame 2 - - -\nz\n");
}

}  // namespace
}  // namespace vernalo
