// The speech service's voices against a scripted client: what becomes a mode, the rate, and how
// Speaking follows the service's messages, its cancel and its death.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "speech/combinedvoice.h"
#include "speech/dispatchervoice.h"
#include "support/casename.h"
#include "support/fakevoice.h"
#include "support/scriptedservice.h"

namespace vernalo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Modules = std::vector<std::pair<std::string, std::vector<ListedVoice>>>;
using test::Script;
using test::ScriptedClient;

template <class Condition>
bool WaitFor(Condition done, Clock::duration limit = 5s) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST(DispatcherModes, russianAndEnglishVoicesBecomeModesWithUniqueSpeakers) {
    const Modules modules = {
        {"espeak-ng",
         {{"Russian", "ru", "none"},
          {"Russian+Anika", "ru", "Anika"},  // a variant of a plain voice: left out
          {"English (America)", "en-US", "none"},
          {"German", "de", "none"},
          {"Chinese (Mandarin, latin as English)", "cmn", "none"}}},
        {"dummy", {{"dummy", "en", "none"}}},
        {"flite", {{"kal16", "en", "none"}}},
        {"rhvoice", {{"Elena+Soft", "RU", "none"}, {"kal16", "en", "none"}}},
    };
    const std::vector<DispatcherMode> modes = DispatcherModes(modules);
    struct Expected {
        const char* module;
        const char* voice;
        std::u16string name, speaker;
    };
    const std::vector<Expected> expected = {
        {"espeak-ng", "Russian", u"Russian (espeak-ng: Russian)", u"Russian (espeak-ng)"},
        {"espeak-ng", "English (America)", u"English (espeak-ng: English (America))",
         u"English (America) (espeak-ng)"},
        {"flite", "kal16", u"English (flite: kal16)", u"kal16 (flite)"},
        {"rhvoice", "Elena+Soft", u"Russian (rhvoice: Elena+Soft)", u"Elena+Soft (rhvoice)"},
        {"rhvoice", "kal16", u"English (rhvoice: kal16)", u"kal16 (rhvoice)"},
    };
    ASSERT_EQ(modes.size(), expected.size());
    for (std::size_t i = 0; i < modes.size(); ++i) {
        SCOPED_TRACE(expected[i].voice);
        EXPECT_EQ(modes[i].module, expected[i].module);
        EXPECT_EQ(modes[i].voice, expected[i].voice);
        EXPECT_EQ(modes[i].name, expected[i].name);
        EXPECT_EQ(modes[i].speaker, expected[i].speaker);
        EXPECT_EQ(modes[i].product, u"speech-dispatcher, " + std::u16string(modes[i].module.begin(),
                                                                            modes[i].module.end()));
    }
}

TEST(DispatcherModes, sameNameFromOneModuleTwiceStaysApart) {
    const auto modes = DispatcherModes(
        {{"festival", {{"ked", "en", "none"}}}, {"festival", {{"ked", "en", "none"}}}});
    ASSERT_EQ(modes.size(), 2u);
    EXPECT_NE(modes[0].speaker, modes[1].speaker);
}

TEST(ParseVoiceList, readsDataLinesUpToTheClosingOne) {
    const std::string reply =
        "249-Russian\tru\tnone\r\n"
        "249-English (America)\ten-US\tnone\r\n"
        "249-Russian+Anika\tru\tAnika\r\n"
        "249-no fields\r\n"
        "249-\tde\tnone\r\n"
        "249 OK VOICE LIST SENT\r\n";
    const auto voices = ParseVoiceList(reply);
    ASSERT_EQ(voices.size(), 3u);
    EXPECT_EQ(voices[1].name, "English (America)");
    EXPECT_EQ(voices[1].language, "en-US");
    EXPECT_EQ(voices[2].variant, "Anika");
    EXPECT_TRUE(ParseVoiceList("").empty());
}

TEST(DispatcherRate, speedBarMapsOntoServiceRate) {
    const std::pair<int, int> cases[] = {{50, -100}, {75, -50},  {100, 0},  {175, 50},
                                         {250, 100}, {10, -100}, {400, 100}};
    for (auto [speed, rate] : cases)
        EXPECT_EQ(DispatcherRate(speed), rate) << speed << " %";
}

class DispatcherVoiceTest : public testing::Test {
protected:
    DispatcherVoiceTest() : catalog([this] { return std::make_unique<ScriptedClient>(script); }) {
        catalog.wait(5s);
    }
    void endNewest() {
        std::lock_guard lock(script.mutex);
        script.done(script.nextId - 1);
    }
    std::size_t said() {
        std::lock_guard lock(script.mutex);
        return script.said.size();
    }
    Script script;
    DispatcherCatalog catalog;
};

TEST_F(DispatcherVoiceTest, speakingLastsUntilTheServiceEndsTheMessage) {
    DispatcherVoice voice(catalog);
    ASSERT_EQ(voice.modeCount(), 2);
    voice.select(2);
    voice.setSpeed(175);
    voice.speak(u"Проба");
    EXPECT_NE(voice.speaking(), 0) << "at once, before the service has the text";
    ASSERT_TRUE(WaitFor([&] { return said() == 1; }));
    EXPECT_NE(voice.speaking(), 0);
    endNewest();
    EXPECT_EQ(voice.speaking(), 0);
    std::lock_guard lock(script.mutex);
    EXPECT_EQ(script.said, (std::vector<std::string>{"Проба"}));
    EXPECT_EQ(script.voices, (std::vector<std::string>{"espeak-ng/Russian"}));
    EXPECT_EQ(script.rates, (std::vector<int>{50}));
    EXPECT_EQ(script.opened, 2) << "the listing's connection, then the voice's own";
}

// A module that plays a quiet tail after the last word: Speaking ends with the word, and the
// tail is cut so that the next message does not wait behind it.
TEST_F(DispatcherVoiceTest, lastWordPlayedEndsSpeakingAndCutsTheTail) {
    DispatcherVoice voice(catalog);
    voice.speak(u"One.");
    ASSERT_TRUE(WaitFor([&] { return said() == 1; }));
    {
        std::lock_guard lock(script.mutex);
        script.spoken(script.nextId - 1);
    }
    EXPECT_EQ(voice.speaking(), 0);
    EXPECT_TRUE(WaitFor([&] { return script.cancels == 1; }));
    endNewest();  // the end of the cut message changes nothing
    voice.speak(u"Two.");
    ASSERT_TRUE(WaitFor([&] { return said() == 2; }));
    EXPECT_NE(voice.speaking(), 0);
    EXPECT_EQ(script.cancels, 1);
}

TEST_F(DispatcherVoiceTest, endArrivingBeforeSayReturnsEndsSpeaking) {
    script.endInsideSay = true;
    DispatcherVoice voice(catalog);
    voice.speak(u"Yes.");
    EXPECT_TRUE(WaitFor([&] { return voice.speaking() == 0; }));
    EXPECT_EQ(said(), 1u);
}

TEST_F(DispatcherVoiceTest, audioResetStopsSpeakingAtOnceAndCancels) {
    DispatcherVoice voice(catalog);
    voice.speak(u"One.");
    ASSERT_TRUE(WaitFor([&] { return said() == 1; }));
    voice.audioReset();
    EXPECT_EQ(voice.speaking(), 0);
    EXPECT_TRUE(WaitFor([&] { return script.cancels == 1; }));
    endNewest();  // the service reports the cancelled message: nothing changes
    EXPECT_EQ(voice.speaking(), 0);
    voice.speak(u"Two.");
    ASSERT_TRUE(WaitFor([&] { return said() == 2; }));
    EXPECT_NE(voice.speaking(), 0) << "and it speaks again afterwards";
}

TEST_F(DispatcherVoiceTest, serviceDyingWhileSpeakingReportsAndEndsSpeaking) {
    DispatcherVoice voice(catalog);
    std::atomic<int> errors{0};
    voice.onError = [&](const std::string&) { ++errors; };
    voice.speak(u"One.");
    voice.speak(u"Two.");
    ASSERT_TRUE(WaitFor([&] { return said() == 2; }));
    script.alive = false;  // no end of message will ever come
    EXPECT_TRUE(WaitFor([&] { return voice.speaking() == 0; }, 2s));
    EXPECT_EQ(errors, 1);
    // A service that is back is connected to anew.
    voice.speak(u"Three.");
    ASSERT_TRUE(WaitFor([&] { return said() == 3; }));
    EXPECT_EQ(script.opened, 3);
}

TEST(DispatcherCatalog, missingServiceListsNothingAndItsVoiceStaysSilent) {
    Script script;
    script.reachable = false;
    DispatcherCatalog catalog([&script] { return std::make_unique<ScriptedClient>(script); });
    ASSERT_TRUE(catalog.wait(5s));
    EXPECT_TRUE(catalog.modes().empty());
    EXPECT_NE(catalog.error().find("no such socket"), std::string::npos);
    DispatcherVoice voice(catalog);
    voice.speak(u"Nothing.");
    EXPECT_EQ(voice.speaking(), 0);
}

TEST(DispatcherCatalog, listenerRunsOnceListedEvenWhenLate) {
    Script script;
    DispatcherCatalog catalog([&script] { return std::make_unique<ScriptedClient>(script); });
    ASSERT_TRUE(catalog.wait(5s));
    bool listed = false;
    catalog.onListed([&] { listed = true; });
    EXPECT_TRUE(listed);
    EXPECT_EQ(catalog.modes().size(), 2u);
}

TEST(CombinedVoice, modesFollowEachOtherAndCallsReachTheSelectedEngine) {
    using test::FakeVoice;
    auto first = std::make_unique<FakeVoice>(std::vector<test::FakeMode>{
        {u"Russian a", u"A", u"DIGALO"}, {u"English b", u"B", u"DIGALO"}});
    auto second = std::make_unique<FakeVoice>(
        std::vector<test::FakeMode>{{u"Russian (svc: c)", u"C (svc)", u"svc", 10, 20, 15}});
    FakeVoice* a = first.get();
    FakeVoice* b = second.get();
    std::vector<std::unique_ptr<Voice>> engines;
    engines.push_back(std::move(first));
    engines.push_back(std::move(second));
    CombinedVoice voice(std::move(engines));
    ASSERT_EQ(voice.modeCount(), 3);
    EXPECT_EQ(voice.speaker(3), u"C (svc)");
    EXPECT_TRUE(voice.supportsDictionaries(2));
    EXPECT_FALSE(voice.supportsDictionaries(3));
    EXPECT_EQ(voice.engineOf(3), b);
    EXPECT_EQ(voice.engineOf(4), nullptr);
    voice.select(3);
    EXPECT_EQ(b->selected, 1);
    EXPECT_EQ(voice.maxSpeed(), 20);
    voice.speak(u"x");
    EXPECT_EQ(b->spoken.size(), 1u);
    EXPECT_TRUE(a->spoken.empty());
    voice.select(2);
    EXPECT_EQ(a->selected, 2);
    EXPECT_EQ(voice.maxSpeed(), 250);
}

}  // namespace
}  // namespace vernalo
