// The Speech settings page on the offscreen platform, with scripted voices.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>

#include "fakevoice.h"
#include "speech/speechpage.h"

namespace vernalo {
namespace {

using test::FakeMode;
using test::FakeVoice;

std::vector<FakeMode> Modes() {
    return {{u"Russian male", u"Nicolai", u"DIGALO"},
            {u"English female", u"Carol", u"DIGALO"},
            {u"Russian female", u"Elena", u"Other", 60, 90, 70}};
}

struct PageRig {
    PageRig() {
        auto r = std::make_unique<FakeVoice>(Modes());
        auto e = std::make_unique<FakeVoice>(Modes());
        ru = r.get();
        en = e.get();
        page = std::make_unique<TSpeechPage>(std::move(r), std::move(e));
    }
    template <class T>
    T* find(const char* name) {
        return page->findChild<T*>(QString::fromLatin1(name));
    }
    FakeVoice* ru;
    FakeVoice* en;
    std::unique_ptr<TSpeechPage> page;
};

struct Control {
    const char* name;
    const char* hint;
};

class PageControls : public testing::TestWithParam<Control> {};

TEST_P(PageControls, foundByNameWithHintAndKeyboardFocus) {
    PageRig rig;
    auto* w = rig.find<QWidget>(GetParam().name);
    ASSERT_NE(w, nullptr) << GetParam().name;
    EXPECT_EQ(w->toolTip(), QString::fromUtf8(GetParam().hint));
    EXPECT_NE(w->focusPolicy() & Qt::TabFocus, 0) << "reachable by keyboard";
    const bool captioned = qobject_cast<QPushButton*>(w) != nullptr;
    if (!captioned) {
        EXPECT_FALSE(w->accessibleName().isEmpty()) << GetParam().name;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PageControls,
                         testing::Values(Control{"EnabledRU", "On/Off russian voice"},
                                         Control{"EnabledEN", "On/Off english voice"},
                                         Control{"CBoxRU", "Choose Russian voice"},
                                         Control{"CBoxEN", "Choose English voice"},
                                         Control{"BtnTestRU", "Testing russian Voice"},
                                         Control{"BtnTestEN", "Testing english Voice"},
                                         Control{"TrBarRU", "Speed of the Russian speech"},
                                         Control{"TrBarEN", "Speed of the English speech"}));

TEST(SpeechPage, formStateBeforeRestore) {
    PageRig rig;
    ASSERT_NE(rig.find<QGroupBox>("GroupBox1"), nullptr);
    EXPECT_EQ(rig.find<QPushButton>("BtnTestRU")->text(), QStringLiteral("RU"));
    EXPECT_EQ(rig.find<QPushButton>("BtnTestEN")->text(), QStringLiteral("EN"));
    auto* bar = rig.find<QSlider>("TrBarRU");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 10);
    EXPECT_EQ(bar->value(), 5);
    EXPECT_EQ(bar->tickInterval(), 20);
    EXPECT_EQ(bar->pageStep(), 2);
    EXPECT_TRUE(rig.page->enabledRU());
    EXPECT_TRUE(rig.page->enabledEN());
}

TEST(SpeechPage, restoreFillsBoxesAndBars) {
    PageRig rig;
    QSignalSpy problems(rig.page.get(), &TSpeechPage::speechProblem);
    auto r = rig.page->restore(QStringLiteral("Elena"), QStringLiteral("Carol"),
                               QStringLiteral("80"), QStringLiteral("140"));
    EXPECT_TRUE(r.problem.isEmpty());
    EXPECT_EQ(problems.count(), 0);
    EXPECT_FALSE(r.loadDictRU);
    EXPECT_TRUE(r.loadDictEN);
    auto* box = rig.find<QComboBox>("CBoxRU");
    EXPECT_EQ(box->count(), 2);
    EXPECT_EQ(box->currentText(), QStringLiteral("Elena"));
    auto* bar = rig.find<QSlider>("TrBarRU");
    EXPECT_EQ(bar->maximum(), 90);
    EXPECT_EQ(bar->value(), 80);
    EXPECT_EQ(rig.page->russianName(), QStringLiteral("Elena"));
    EXPECT_EQ(rig.page->speedEN(), 140);
}

TEST(SpeechPage, userPicksVoiceAndMovesBar) {
    PageRig rig;
    rig.page->restore(QStringLiteral("Nicolai"), QStringLiteral("Carol"), QStringLiteral("200"),
                      QStringLiteral("100"));
    QSignalSpy changed(rig.page.get(), &TSpeechPage::settingsChanged);
    auto* box = rig.find<QComboBox>("CBoxRU");
    box->setCurrentIndex(1);  // as a pick from the list does
    EXPECT_EQ(rig.ru->selected, 3);
    EXPECT_EQ(rig.find<QSlider>("TrBarRU")->value(), 90);
    EXPECT_EQ(rig.ru->Speed(), 90);
    EXPECT_GT(changed.count(), 0);
    rig.find<QSlider>("TrBarEN")->setValue(170);  // as a drag does
    EXPECT_EQ(rig.en->Speed(), 170);
    EXPECT_EQ(rig.page->speedEN(), 170);
}

TEST(SpeechPage, typingAWholeNamePicksIt) {
    PageRig rig;
    rig.page->restore(QStringLiteral("Nicolai"), QStringLiteral("Carol"), QStringLiteral("100"),
                      QStringLiteral("100"));
    auto* box = rig.find<QComboBox>("CBoxRU");
    box->setEditText(QStringLiteral("Ele"));
    EXPECT_EQ(rig.page->russianName(), QStringLiteral("Nicolai")) << "a part of a name is nothing";
    box->setEditText(QStringLiteral("Elena"));
    EXPECT_EQ(rig.page->russianName(), QStringLiteral("Elena"));
    EXPECT_EQ(rig.ru->selected, 3);
}

TEST(SpeechPage, atLeastOneLanguageStaysOn) {
    PageRig rig;
    auto* ru = rig.find<QCheckBox>("EnabledRU");
    auto* en = rig.find<QCheckBox>("EnabledEN");
    ru->click();
    EXPECT_FALSE(rig.page->enabledRU());
    EXPECT_TRUE(rig.page->enabledEN());
    en->click();  // the last one on: the other comes back
    EXPECT_FALSE(rig.page->enabledEN());
    EXPECT_TRUE(rig.page->enabledRU());
    en->click();
    ru->click();
    EXPECT_FALSE(rig.page->enabledRU());
    EXPECT_TRUE(rig.page->enabledEN());
}

TEST(SpeechPage, testButtonsSpeakTheTestPhrases) {
    PageRig rig;
    rig.find<QPushButton>("BtnTestRU")->click();
    rig.find<QPushButton>("BtnTestEN")->click();
    ASSERT_EQ(rig.ru->spoken.size(), 1u);
    ASSERT_EQ(rig.en->spoken.size(), 1u);
    EXPECT_EQ(rig.ru->spoken[0], u"Проба синтеза речи, для русского голоса.");
    EXPECT_EQ(rig.en->spoken[0], u"Test of speech, for english voice.");
}

TEST(SpeechPage, missingLanguageIsReportedOnce) {
    auto r = std::make_unique<FakeVoice>(std::vector<FakeMode>{{u"English", u"Carol"}});
    auto e = std::make_unique<FakeVoice>(std::vector<FakeMode>{{u"English", u"Carol"}});
    TSpeechPage page(std::move(r), std::move(e));
    QSignalSpy problems(&page, &TSpeechPage::speechProblem);
    auto result = page.restore(QStringLiteral("Nicolai"), QStringLiteral("Carol"),
                               QStringLiteral("100"), QStringLiteral("100"));
    EXPECT_FALSE(result.problem.isEmpty());
    EXPECT_EQ(problems.count(), 1);
    EXPECT_EQ(page.russianName(), QString());
    EXPECT_EQ(page.englishName(), QStringLiteral("Carol"));
}

}  // namespace
}  // namespace vernalo
