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
        bool opensAtFirst, lost, opensAgain;
        int opens;
        std::string told;  // by the listener; "back" means Reopen is true
    } const cases[] = {
        {true, false, true, 1, ""},     {false, false, true, 2, "back"},
        {false, false, false, 2, ""},   {true, true, true, 2, "gone back"},
        {true, true, false, 2, "gone"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.opensAtFirst << c.lost << c.opensAgain);
        int opens = 0;
        FakeDevice* device = nullptr;
        std::string error;
        DeviceOutput out(
            [&](std::string* why) -> std::unique_ptr<PlaybackOutput> {
                *why = "no device";
                if (++opens == 1 ? !c.opensAtFirst : !c.opensAgain) return nullptr;
                why->clear();
                return std::unique_ptr<FakeDevice>(device = new FakeDevice);
            },
            &error);
        std::string told;
        out.setListener({[&](const std::string& why) { told += why; },
                         [&] { told += told.empty() ? "back" : " back"; }});
        const std::vector<std::int16_t> samples(kSampleRate, 0);
        out.write(samples.data(), samples.size());
        if (c.lost) device->fail("gone");
        const bool heard = c.opens == 1 || c.opensAgain;
        EXPECT_EQ(out.reopen(&error), heard) << error;
        EXPECT_EQ(opens, c.opens);
        EXPECT_EQ(told, c.told);
        // A new device starts afresh: all given to the one before counts as heard.
        if (c.opens == 2 && heard) {
            EXPECT_EQ(out.heard(), std::int64_t{kSampleRate});
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
