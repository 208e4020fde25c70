// Start-up restore and voice changes against scripted modes.

#include <gtest/gtest.h>

#include "speech/voiceselection.h"
#include "support/casename.h"
#include "support/fakevoice.h"

namespace vernalo {
namespace {

using test::FakeMode;
using test::FakeVoice;

struct Rig {
    explicit Rig(std::vector<FakeMode> modes)
        : ru(modes), en(modes), sel({{&ru, &en}}, {{&barRU, &barEN}}) {
        sel.settingsChanged = [this] { ++changed; };
    }
    VoiceStartup restore(std::u16string r = u"Nicolai", std::u16string e = u"Carol",
                         std::string sr = "100", std::string se = "100") {
        return sel.restore({{r, e}}, {{sr, se}});
    }
    FakeVoice ru, en;
    TrackBar barRU, barEN;
    VoiceSelection sel;
    int changed = 0;
};

std::vector<FakeMode> Standard() {
    return {
        {u"Russian male", u"Nicolai", u"DIGALO 2"},
        {u"English female", u"Carol", u"Other engine"},
        {u"English male", u"Michael", u"DIGALO 2", 80, 200, 120},
        {u"Russian female", u"Elena", u"Other engine", 60, 90, 70},
    };
}

TEST(VoiceSelection, listsByCaseSensitiveLanguageWord) {
    Rig rig({{u"russian lower case", u"Quiet"},
             {u"Russian and English", u"Both"},
             {u"ENGLISH upper", u"Loud"},
             {u"English", u"Carol"}});
    rig.restore();
    EXPECT_EQ(rig.sel.list(Language::Russian).names, (std::vector<std::u16string>{u"Both"}));
    EXPECT_EQ(rig.sel.list(Language::Russian).modes, (std::vector<int>{2}));
    EXPECT_EQ(rig.sel.list(Language::English).names,
              (std::vector<std::u16string>{u"Both", u"Carol"}));
    EXPECT_EQ(rig.sel.list(Language::English).modes, (std::vector<int>{2, 4}));
}

TEST(VoiceSelection, restoresSavedVoicesAndSpeeds) {
    Rig rig(Standard());
    VoiceStartup s = rig.restore(u"Elena", u"Michael", "75", "150");
    EXPECT_TRUE(s.problems.empty());
    EXPECT_EQ(rig.ru.selected, 4);
    EXPECT_EQ(rig.en.selected, 3);
    EXPECT_EQ(rig.barRU.min(), 60);
    EXPECT_EQ(rig.barRU.max(), 90);
    EXPECT_EQ(rig.barRU.position(), 75);
    EXPECT_EQ(rig.ru.speed(), 75);
    EXPECT_EQ(rig.barEN.position(), 150);
    EXPECT_EQ(rig.en.speed(), 150);
    EXPECT_EQ(rig.sel.list(Language::Russian).selectedName(), u"Elena");
    EXPECT_EQ(rig.sel.list(Language::English).selectedName(), u"Michael");
    EXPECT_GT(rig.changed, 0) << "moving the bars at start-up marks the settings changed";
}

TEST(VoiceSelection, laterOfTwoEntriesWithTheSavedNameIsSelected) {
    Rig rig({{u"Russian one", u"Twin"}, {u"English", u"Carol"}, {u"Russian two", u"Twin"}});
    rig.restore(u"Twin");
    EXPECT_EQ(rig.sel.list(Language::Russian).selected, 1);
    EXPECT_EQ(rig.ru.selected, 3);
}

struct SpeedCase {
    const char* name;
    std::string saved;
    int barRU, speedRU;  // the Russian voice gets the saved number itself
    int barEN, speedEN;  // the English voice gets what the bar's move gives it
};

void PrintTo(const SpeedCase& c, std::ostream* os) {
    *os << c.name;
}

class SavedSpeed : public testing::TestWithParam<SpeedCase> {};

TEST_P(SavedSpeed, barStopsAtNearerBound) {
    const SpeedCase& c = GetParam();
    // Both voices 80..200 so the two languages differ only in how Speed is given.
    Rig rig(
        {{u"Russian", u"Nicolai", u"x", 80, 200, 120}, {u"English", u"Carol", u"x", 80, 200, 120}});
    rig.restore(u"Nicolai", u"Carol", c.saved, c.saved);
    EXPECT_EQ(rig.barRU.position(), c.barRU);
    EXPECT_EQ(rig.ru.speed(), c.speedRU);
    EXPECT_EQ(rig.barEN.position(), c.barEN);
    EXPECT_EQ(rig.en.speed(), c.speedEN);
}

INSTANTIATE_TEST_SUITE_P(Table, SavedSpeed,
                         testing::Values(SpeedCase{"aboveTheRange", "300", 200, 300, 200, 200},
                                         SpeedCase{"belowTheRange", "10", 80, 10, 80, 80},
                                         SpeedCase{"withinTheRange", "+150", 150, 150, 150, 150}),
                         test::CaseName);

TEST(VoiceSelection, englishSpeedUntouchedWhenBarDoesNotMove) {
    // The bar already sits at the saved speed after the first entry, so the English voice keeps
    // its own rate: its Speed follows only the bar's moves.
    Rig rig({{u"Russian", u"Nicolai"}, {u"English", u"Carol", u"x", 50, 250, 100}});
    rig.restore(u"Nicolai", u"Carol", "100", "100");
    EXPECT_EQ(rig.barEN.position(), 100);
    EXPECT_EQ(rig.en.speed(), 100);
}

// Mend: a voice that is no longer installed used to fail the whole start-up.
TEST(VoiceSelection, missingSavedVoiceSelectsFirstOfLanguage) {
    Rig rig(Standard());
    VoiceStartup s = rig.restore(u"Gone", u"Also gone", "140", "140");
    EXPECT_TRUE(s.problems.empty());
    EXPECT_EQ(rig.sel.list(Language::Russian).selectedName(), u"Nicolai");
    EXPECT_EQ(rig.sel.list(Language::English).selectedName(), u"Carol");
    EXPECT_EQ(rig.ru.selected, 1);
    EXPECT_EQ(rig.en.selected, 2);
    EXPECT_EQ(rig.barRU.position(), 100) << "the voice's own speed, not another voice's";
    EXPECT_TRUE(s.loadDictionary[Language::Russian]);
    EXPECT_FALSE(s.loadDictionary[Language::English]);
}

TEST(VoiceSelection, languageWithoutVoiceStaysEmptyAndIsReportedOnce) {
    Rig rig({{u"English", u"Carol", u"DIGALO"}});
    VoiceStartup s = rig.restore();
    ASSERT_EQ(s.problems.size(), 1u);
    EXPECT_NE(s.problems[0].find("Russian"), std::string::npos);
    EXPECT_TRUE(rig.sel.list(Language::Russian).names.empty());
    EXPECT_EQ(rig.sel.list(Language::Russian).selected, -1);
    EXPECT_EQ(rig.barRU.min(), 0);
    EXPECT_EQ(rig.barRU.max(), 10);
    EXPECT_EQ(rig.barRU.position(), 5);
    EXPECT_FALSE(s.loadDictionary[Language::Russian]);
    EXPECT_TRUE(s.loadDictionary[Language::English]) << "the other language goes on";
}

TEST(VoiceSelection, noVoicesAtAll) {
    Rig rig({});
    VoiceStartup s = rig.restore();
    EXPECT_EQ(s.problems.size(), 2u);
    EXPECT_EQ(rig.sel.list(Language::Russian).selectedName(), u"");
}

// Mend: a saved speed that is not a number used to fail the whole start-up.
TEST(VoiceSelection, unreadableSavedSpeedUsesVoiceSpeed) {
    Rig rig(Standard());
    VoiceStartup s = rig.restore(u"Nicolai", u"Carol", "fast", "");
    EXPECT_EQ(s.problems.size(), 2u);
    EXPECT_EQ(rig.barRU.position(), 100);
    EXPECT_EQ(rig.sel.list(Language::Russian).selectedName(), u"Nicolai");
}

TEST(VoiceSelection, dictionaryOnlyForDigaloProduct) {
    Rig rig(Standard());
    VoiceStartup s = rig.restore(u"Elena", u"Michael");
    EXPECT_FALSE(s.loadDictionary[Language::Russian]);
    EXPECT_TRUE(s.loadDictionary[Language::English]);
}

TEST(VoiceSelection, pickingVoiceWhoseRangeExcludesBarKeepsMovedPosition) {
    Rig rig(Standard());
    rig.restore(u"Nicolai", u"Carol", "200", "100");
    ASSERT_EQ(rig.barRU.position(), 200);
    rig.changed = 0;
    rig.sel.change(Language::Russian, 1);  // Elena: 60..90, normal 70
    EXPECT_EQ(rig.ru.selected, 4);
    EXPECT_EQ(rig.barRU.max(), 90);
    EXPECT_EQ(rig.barRU.position(), 90);
    EXPECT_EQ(rig.ru.speed(), 90) << "the moved position, not the voice's normal 70";
    EXPECT_GT(rig.changed, 0);
}

TEST(VoiceSelection, pickingVoiceWithinRangeTakesItsSpeed) {
    Rig rig(Standard());
    rig.restore(u"Nicolai", u"Carol", "100", "100");
    rig.sel.change(Language::English, 1);  // Michael: 80..200, normal 120
    EXPECT_EQ(rig.en.selected, 3);
    EXPECT_EQ(rig.barEN.position(), 120);
    EXPECT_EQ(rig.en.speed(), 120);
    EXPECT_EQ(rig.sel.list(Language::English).selectedName(), u"Michael");
}

TEST(VoiceSelection, changeWithoutSelectionChangesNothing) {
    Rig rig(Standard());
    rig.restore();
    const int selects = rig.ru.selects;
    rig.changed = 0;
    rig.sel.change(Language::Russian, -1);
    rig.sel.change(Language::Russian, 7);
    EXPECT_EQ(rig.ru.selects, selects);
    EXPECT_EQ(rig.changed, 0);
}

TEST(VoiceSelection, barMoveSetsVoiceSpeed) {
    Rig rig(Standard());
    rig.restore();
    rig.changed = 0;
    rig.barEN.setPosition(180);
    EXPECT_EQ(rig.en.speed(), 180);
    EXPECT_EQ(rig.changed, 1);
}

// Voices listed late (by a service) join the lists; a saved one among them is restored unless
// the user has chosen another meanwhile.
struct LateCase {
    const char* name;
    bool userChoseFirst;
    const char16_t* russianAfter;
    int speedAfter;  // -1: whatever the user's choice gave
};

void PrintTo(const LateCase& c, std::ostream* os) {
    *os << c.name;
}

class VoiceSelectionLate : public testing::TestWithParam<LateCase> {};

TEST_P(VoiceSelectionLate, savedVoiceListedLate) {
    const LateCase& c = GetParam();
    Rig rig(Standard());
    rig.restore(u"Irina (service)", u"Carol", "90", "100");
    EXPECT_EQ(rig.sel.list(Language::Russian).selectedName(), u"Nicolai");
    if (c.userChoseFirst) rig.sel.change(Language::Russian, 1);  // Elena
    const FakeMode late{u"Russian (service: Irina)", u"Irina (service)", u"service"};
    rig.ru.add(late);
    rig.en.add(late);
    rig.sel.refill();
    const VoiceList& ru = rig.sel.list(Language::Russian);
    EXPECT_EQ(ru.names, (std::vector<std::u16string>{u"Nicolai", u"Elena", u"Irina (service)"}));
    EXPECT_EQ(ru.selectedName(), c.russianAfter);
    EXPECT_EQ(rig.ru.selected, ru.modes[ru.selected]);
    if (c.speedAfter >= 0) {
        EXPECT_EQ(rig.barRU.position(), c.speedAfter);
    }
    EXPECT_EQ(rig.sel.list(Language::English).selectedName(), u"Carol");
}

INSTANTIATE_TEST_SUITE_P(Cases, VoiceSelectionLate,
                         testing::Values(LateCase{"restoredWithSavedSpeed", false,
                                                  u"Irina (service)", 90},
                                         LateCase{"userChoiceKept", true, u"Elena", -1}),
                         test::CaseName);

}  // namespace
}  // namespace vernalo
