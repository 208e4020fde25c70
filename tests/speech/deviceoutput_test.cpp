// The device output the voices keep for their life: it opens the device again on request,
// counts its samples on across devices, and its listener can be cleared while the audio
// thread reports.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "speech/deviceoutput.h"

namespace vernalo {
namespace {

// A device whose audio thread a test plays: it reports a failure when told to.
class FakeDevice : public NullOutput {
public:
    void fail(const std::string& why) { tellLost(why); }
};

TEST(DeviceOutput, reopensOnlyALostOrMissingDeviceAndCountsOn) {
    struct Case {
        const char* name;
        bool opensAtFirst;
        bool lost;
        bool opensAgain;
        bool heard;  // sound comes back: Reopen is true, Back is told
        int opens;
    } const cases[] = {
        {"working", true, false, true, true, 1},
        {"missing, then plugged in", false, false, true, true, 2},
        {"missing still", false, false, false, false, 2},
        {"lost, then back", true, true, true, true, 2},
        {"lost for good", true, true, false, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int opens = 0;
        FakeDevice* device = nullptr;
        const auto open = [&](std::string* error) -> std::unique_ptr<PlaybackOutput> {
            if (++opens == 1 ? !c.opensAtFirst : !c.opensAgain) {
                *error = "no device";
                return nullptr;
            }
            auto made = std::make_unique<FakeDevice>();
            device = made.get();
            return made;
        };
        std::string error;
        DeviceOutput out(open, &error);
        EXPECT_EQ(error.empty(), c.opensAtFirst);
        std::vector<std::string> told;
        out.setListener({[&](const std::string& why) { told.push_back(why); },
                         [&] { told.push_back("back"); }});
        const std::vector<std::int16_t> samples(kSampleRate, 0);
        out.write(samples.data(), samples.size());
        if (c.lost) device->fail("gone");
        error.clear();
        EXPECT_EQ(out.reopen(&error), c.heard);
        EXPECT_EQ(error.empty(), c.heard);
        EXPECT_EQ(opens, c.opens);
        std::vector<std::string> expected;
        if (c.lost) expected.push_back("gone");
        if (c.opens > 1 && c.heard) expected.push_back("back");
        EXPECT_EQ(told, expected);
        if (c.opens > 1 && c.heard) {
            // A new device starts afresh: all given to the one before counts as heard.
            EXPECT_EQ(out.heard(), static_cast<std::int64_t>(samples.size()));
            EXPECT_FALSE(out.playing());
        }
    }
}

// Once SetListener returns, the listener it replaced neither runs nor runs again, however the
// audio thread's reports fall.
TEST(PlaybackOutputListener, aClearedListenerIsNotRunningAndNeverRunsAgain) {
    FakeDevice out;
    std::atomic<bool> stop{false};
    std::atomic<int> reports{0};
    std::thread audio([&] {
        while (!stop) {
            out.fail("gone");
            ++reports;
        }
    });
    for (int round = 0; round < 200; ++round) {
        auto cleared = std::make_shared<std::atomic<bool>>(false);
        std::atomic<int> calls{0}, late{0}, busy{0};
        OutputListener listener;
        listener.lost = [&, cleared](const std::string&) {
            // Long enough for the clearing to fall inside the call.
            for (int i = 0; i < 2000; ++i)
                ++busy;
            if (*cleared) ++late;
            ++calls;
        };
        out.setListener(std::move(listener));
        while (calls == 0)
            std::this_thread::yield();
        out.setListener({});
        *cleared = true;
        const int seen = calls;
        const int after = reports;
        while (reports < after + 3)
            std::this_thread::yield();
        EXPECT_EQ(calls.load(), seen) << "round " << round;
        EXPECT_EQ(late.load(), 0) << "round " << round;
    }
    stop = true;
    audio.join();
}

}  // namespace
}  // namespace vernalo
