// The Speech settings page on the offscreen platform, with scripted voices.

#include <gtest/gtest.h>

#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/pages/speechpage.h"
#include "speech/driven/drivenmode.h"
#include "speech/espeakvoice.h"
#include "speech/sounddevice.h"
#include "support/accessible.h"
#include "support/children.h"
#include "support/fakevoice.h"
#include "support/monitor.h"

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
        page = std::make_unique<SpeechPage>(GivenVoices(std::move(r), std::move(e)));
    }
    // By accessible name, as a screen reader finds it.
    template <class T>
    T* find(const char* name) {
        return test::FindAccessible<T>(page.get(), name);
    }
    FakeVoice* ru;
    FakeVoice* en;
    std::unique_ptr<SpeechPage> page;
};

struct Control {
    const char* name;  // accessible name; a button's is its caption
    const char* hint;
};

class PageControls : public testing::TestWithParam<Control> {};

TEST_P(PageControls, foundByAccessibleNameWithHintAndKeyboardFocus) {
    PageRig rig;
    auto* w = rig.find<QWidget>(GetParam().name);
    ASSERT_NE(w, nullptr) << GetParam().name;
    EXPECT_EQ(w->toolTip(), QString::fromUtf8(GetParam().hint));
    EXPECT_NE(w->focusPolicy() & Qt::TabFocus, 0) << "reachable by keyboard";
}

INSTANTIATE_TEST_SUITE_P(
    Table, PageControls,
    testing::Values(Control{"On/Off russian voice", "On/Off russian voice"},
                    Control{"On/Off english voice", "On/Off english voice"},
                    Control{"Choose Russian voice", "Choose Russian voice"},
                    Control{"Choose English voice", "Choose English voice"},
                    Control{"RU", "Testing russian Voice"}, Control{"EN", "Testing english Voice"},
                    Control{"Speed of the Russian speech", "Speed of the Russian speech"},
                    Control{"Speed of the English speech", "Speed of the English speech"}),
    [](const auto& info) {
        std::string name;
        for (const char* c = info.param.name; *c; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
        return name;
    });

TEST(SpeechPage, restoreFillsBoxesAndBars) {
    PageRig rig;
    QSignalSpy problems(rig.page.get(), &SpeechPage::speechProblem);
    auto r = rig.page->restore({{QStringLiteral("Elena"), QStringLiteral("Carol")}},
                               {{QStringLiteral("80"), QStringLiteral("140")}});
    EXPECT_TRUE(r.problem.isEmpty());
    EXPECT_EQ(problems.count(), 0);
    EXPECT_FALSE(r.loadDictionary[Language::Russian]);
    EXPECT_TRUE(r.loadDictionary[Language::English]);
    auto* box = rig.find<QComboBox>("Choose Russian voice");
    EXPECT_EQ(box->count(), 2);
    EXPECT_EQ(box->currentText(), QStringLiteral("Elena"));
    auto* bar = rig.find<QSlider>("Speed of the Russian speech");
    EXPECT_EQ(bar->maximum(), 90);
    EXPECT_EQ(bar->value(), 80);
    EXPECT_EQ(rig.page->voiceName(Language::Russian), QStringLiteral("Elena"));
    EXPECT_EQ(rig.page->speed(Language::English), 140);
}

TEST(SpeechPage, userPicksVoiceAndMovesBar) {
    PageRig rig;
    rig.page->restore({{QStringLiteral("Nicolai"), QStringLiteral("Carol")}},
                      {{QStringLiteral("200"), QStringLiteral("100")}});
    QSignalSpy changed(rig.page.get(), &SpeechPage::settingsChanged);
    auto* box = rig.find<QComboBox>("Choose Russian voice");
    box->setCurrentIndex(1);  // as a pick from the list does
    EXPECT_EQ(rig.ru->selected, 3);
    EXPECT_EQ(rig.find<QSlider>("Speed of the Russian speech")->value(), 90);
    EXPECT_EQ(rig.ru->speed(), 90);
    EXPECT_GT(changed.count(), 0);
    rig.find<QSlider>("Speed of the English speech")->setValue(170);  // as a drag does
    EXPECT_EQ(rig.en->speed(), 170);
    EXPECT_EQ(rig.page->speed(Language::English), 170);
}

TEST(SpeechPage, typingAWholeNamePicksIt) {
    PageRig rig;
    rig.page->restore({{QStringLiteral("Nicolai"), QStringLiteral("Carol")}},
                      {{QStringLiteral("100"), QStringLiteral("100")}});
    auto* box = rig.find<QComboBox>("Choose Russian voice");
    box->setEditText(QStringLiteral("Ele"));
    EXPECT_EQ(rig.page->voiceName(Language::Russian), QStringLiteral("Nicolai"))
        << "a part of a name is nothing";
    box->setEditText(QStringLiteral("Elena"));
    EXPECT_EQ(rig.page->voiceName(Language::Russian), QStringLiteral("Elena"));
    EXPECT_EQ(rig.ru->selected, 3);
}

TEST(SpeechPage, atLeastOneLanguageStaysOn) {
    PageRig rig;
    auto* ru = rig.find<QCheckBox>("On/Off russian voice");
    auto* en = rig.find<QCheckBox>("On/Off english voice");
    ru->click();
    EXPECT_FALSE(rig.page->voiceOn(Language::Russian));
    EXPECT_TRUE(rig.page->voiceOn(Language::English));
    en->click();  // the last one on: the other comes back
    EXPECT_FALSE(rig.page->voiceOn(Language::English));
    EXPECT_TRUE(rig.page->voiceOn(Language::Russian));
    en->click();
    ru->click();
    EXPECT_FALSE(rig.page->voiceOn(Language::Russian));
    EXPECT_TRUE(rig.page->voiceOn(Language::English));
}

TEST(SpeechPage, testButtonsSpeakTheTestPhrases) {
    PageRig rig;
    rig.find<QPushButton>("RU")->click();
    rig.find<QPushButton>("EN")->click();
    ASSERT_EQ(rig.ru->spoken.size(), 1u);
    ASSERT_EQ(rig.en->spoken.size(), 1u);
    EXPECT_EQ(rig.ru->spoken[0], u"Проба синтеза речи, для русского голоса.");
    EXPECT_EQ(rig.en->spoken[0], u"Test of speech, for english voice.");
}

TEST(SpeechPage, missingLanguageIsReportedOnce) {
    auto r = std::make_unique<FakeVoice>(std::vector<FakeMode>{{u"English", u"Carol"}});
    auto e = std::make_unique<FakeVoice>(std::vector<FakeMode>{{u"English", u"Carol"}});
    SpeechPage page(GivenVoices(std::move(r), std::move(e)));
    QSignalSpy problems(&page, &SpeechPage::speechProblem);
    auto result = page.restore({{QStringLiteral("Nicolai"), QStringLiteral("Carol")}},
                               {{QStringLiteral("100"), QStringLiteral("100")}});
    EXPECT_FALSE(result.problem.isEmpty());
    EXPECT_EQ(problems.count(), 1);
    EXPECT_EQ(page.voiceName(Language::Russian), QString());
    EXPECT_EQ(page.voiceName(Language::English), QStringLiteral("Carol"));
}

// The program's own engines with the test services' speech-dispatcher: its voices join the
// boxes once listed, a saved one is restored then, and its test button speaks through it.
TEST(SpeechPageService, savedServiceVoicesAreRestoredOnceListed) {
    if (!std::getenv("SPEECHD_ADDRESS") || !std::getenv("VERNALO_MONITOR"))
        GTEST_SKIP() << "no test speech-dispatcher (SPEECHD_ADDRESS, VERNALO_MONITOR)";
    const test::SinkLock sink;
    ASSERT_TRUE(sink.held());
    {
        SpeechPage page(BuildVoices(MakeDeviceOutput));
        page.restore({{QStringLiteral("Russian (espeak-ng)"), QStringLiteral("kal16 (flite)")}},
                     {{QStringLiteral("100"), QStringLiteral("120")}});
        auto* box = page.findChild<QComboBox*>(QStringLiteral("russianVoiceBox"));
        ASSERT_NE(box, nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(box->findText(QStringLiteral("Russian (espeak-ng)")) >= 0, 20000);
        EXPECT_EQ(box->currentText(), QStringLiteral("Russian (espeak-ng)"));
        EXPECT_EQ(page.voiceName(Language::Russian), QStringLiteral("Russian (espeak-ng)"));
        EXPECT_EQ(page.voiceName(Language::English), QStringLiteral("kal16 (flite)"));
        EXPECT_EQ(page.speed(Language::English), 120);
        EXPECT_FALSE(page.voice(Language::Russian)
                         .supportsDictionaries(page.voice(Language::Russian).modeCount()));
        page.testVoice(Language::English);
        EXPECT_NE(page.voice(Language::English).speaking(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(page.voice(Language::English).speaking() == 0, 15000);
    }
}

// Festival's processes that this test program started.
std::vector<pid_t> FestivalChildren() {
    return test::ChildrenNamed("festival");
}

// Installed Festival voices are in the boxes from the start, are restored by their speaker
// names, and the test buttons speak through them on the built-in voice's output. A voice says
// once that it loads; idle, one process per voice stays; none outlives the page (which the
// window owns).
TEST(SpeechPageDriven, festivalVoicesAreRestoredByNameSpeakAndLeaveNoProcess) {
    PerLanguage<QString> speakers;
    for (const DrivenMode& m : InstalledDrivenModes()) {
        const Language l = m.name.starts_with(u"Russian") ? Language::Russian : Language::English;
        if (m.engine == "festival" && speakers[l].isEmpty())
            speakers[l] = QString::fromStdU16String(m.speaker);
    }
    if (speakers[Language::Russian].isEmpty() || speakers[Language::English].isEmpty())
        GTEST_SKIP() << "Festival's Russian and English voices are not installed";
    ASSERT_TRUE(FestivalChildren().empty());
    VoiceSet voices = BuildVoices([](std::string*) -> std::unique_ptr<PlaybackOutput> {
        return std::make_unique<NullOutput>();
    });
    PerLanguage<PlaybackOutput*> outputs{{&voices.languages[Language::Russian].builtIn->output(),
                                          &voices.languages[Language::English].builtIn->output()}};
    auto page = std::make_unique<SpeechPage>(std::move(voices));
    page->restore(speakers, {{QStringLiteral("100"), QStringLiteral("150")}});
    auto* box = page->findChild<QComboBox*>(QStringLiteral("russianVoiceBox"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->currentText(), speakers[Language::Russian]);
    EXPECT_EQ(page->voiceName(Language::English), speakers[Language::English]);
    EXPECT_EQ(page->speed(Language::English), 150);
    QSignalSpy loading(page.get(), &SpeechPage::voiceLoading);
    for (Language l : {Language::English, Language::English, Language::Russian}) {
        const std::int64_t before = outputs[l]->heard().value_or(0);
        page->testVoice(l);
        QTRY_VERIFY_WITH_TIMEOUT(outputs[l]->heard().value_or(0) > before + kSampleRate / 2, 60000);
        QTRY_VERIFY_WITH_TIMEOUT(page->voice(l).speaking() == 0, 60000);
    }
    // Each voice loaded once: started, then loaded.
    QTRY_COMPARE_WITH_TIMEOUT(loading.count(), 4, 10000);
    EXPECT_EQ(loading.at(0), (QVariantList{speakers[Language::English], true}));
    EXPECT_EQ(loading.at(1), (QVariantList{speakers[Language::English], false}));
    EXPECT_EQ(loading.at(2), (QVariantList{speakers[Language::Russian], true}));
    EXPECT_EQ(FestivalChildren().size(), 2u) << "one process per voice when idle";
    const std::vector<pid_t> running = FestivalChildren();
    page.reset();
    EXPECT_TRUE(FestivalChildren().empty());
    for (pid_t pid : running)
        EXPECT_NE(::kill(pid, 0), 0) << "Festival " << pid << " outlived the page";
}

}  // namespace
}  // namespace vernalo
