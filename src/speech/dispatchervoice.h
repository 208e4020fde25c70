#pragma once
// Voices of the desktop's speech service (speech-dispatcher): what it lists becomes modes, and a
// synthesizer control speaks through one connection of its own. The service is reached
// through DispatcherClient, so everything here runs against a scripted client too; the real
// client lives in speechdclient.h.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "speech/voice.h"

namespace vernalo {

// One voice as the service lists it for an output module.
struct ListedVoice {
    std::string name;      // the service's voice name ("kal16", "Russian+Anika")
    std::string language;  // "ru", "en-GB", ...
    std::string variant;   // "none" or a variant name
};

struct DispatcherMode {
    std::string module;      // output module ("espeak-ng")
    std::string voice;       // the module's voice name
    std::u16string name;     // "Russian (espeak-ng: Russian)"
    std::u16string speaker;  // "Russian (espeak-ng)", unique among the modes
    std::u16string product;  // "speech-dispatcher, espeak-ng"
};

// The modes for what the service lists, module by module in its order: Russian and English
// voices only. A module's variants of a voice it also lists plainly are left out (the
// espeak-ng module lists every voice with each of its dozens of variants).
std::vector<DispatcherMode> DispatcherModes(
    const std::vector<std::pair<std::string, std::vector<ListedVoice>>>& modules);

// The voices in the service's reply to LIST SYNTHESIS_VOICES: lines "249-NAME\tLANGUAGE\tVARIANT"
// up to the closing "249 OK ...". Malformed lines are skipped.
std::vector<ListedVoice> ParseVoiceList(const std::string& reply);

// The service's rate (-100..100, 0 = the module's normal rate) for a speed in percent of the
// normal rate (50..250, as the built-in voices have it).
int DispatcherRate(int speedPercent);

// A connection to the service. Every call but the constructor and MessageDone's caller happens
// on one thread at a time.
class DispatcherClient {
public:
    virtual ~DispatcherClient() = default;
    // Connects; false, with the reason, when the service cannot be reached.
    virtual bool open(std::string* error) = 0;
    virtual std::vector<std::string> modules() = 0;
    virtual std::vector<ListedVoice> voices(const std::string& module) = 0;
    virtual bool setVoice(const std::string& module, const std::string& voice) = 0;
    virtual bool setRate(int rate) = 0;
    // The message's id, or -1 when the service did not take it.
    virtual long say(const std::string& utf8) = 0;
    virtual void cancel() = 0;
    // False once the service has gone away.
    virtual bool alive() = 0;
    // Called on any thread when a message has ended or was cancelled.
    std::function<void(long id)> messageDone;
    // Called on any thread when the last word of a message has been played; a module may go on
    // playing a quiet tail of it until MessageDone.
    std::function<void(long id)> messageSpoken;
};

using DispatcherClientFactory = std::function<std::unique_ptr<DispatcherClient>()>;

// What the service offers, listed once on a thread of its own as soon as it is made. The
// listing may take seconds (a module can list thousands of voices): nobody has to wait for it.
class DispatcherCatalog {
public:
    explicit DispatcherCatalog(DispatcherClientFactory factory);
    ~DispatcherCatalog();

    // Empty until the listing is done, then the same on every call.
    const std::vector<DispatcherMode>& modes() const;
    // Waits at most `wait` for the listing; true when it is done.
    bool wait(std::chrono::milliseconds wait) const;
    // Why nothing is listed (the service is missing), or empty.
    std::string error() const;
    // `listed` runs once the listing is done: on the listing's thread, or at once when it is
    // done already.
    void onListed(std::function<void()> listed);
    const DispatcherClientFactory& factory() const { return factory_; }

private:
    DispatcherClientFactory factory_;
    mutable std::mutex mutex_;
    mutable std::condition_variable doneChanged_;
    std::atomic<bool> done_{false};
    std::vector<DispatcherMode> modes_;  // written once, before done_
    std::string error_;
    std::vector<std::function<void()>> listeners_;
    std::thread worker_;
};

// A synthesizer control speaking with the service's voices.
class DispatcherVoice : public Voice {
public:
    explicit DispatcherVoice(const DispatcherCatalog& catalog);
    ~DispatcherVoice() override;

    int modeCount() const override;
    std::u16string modeName(int mode) const override;
    std::u16string speaker(int mode) const override;
    std::u16string productName(int mode) const override;
    void select(int mode) override;
    int speed() const override;
    void setSpeed(int speed) override;
    int minSpeed() const override { return kMinSpeed; }
    int maxSpeed() const override { return kMaxSpeed; }
    void speak(const std::u16string& text) override;
    int speaking() const override;
    void audioReset() override;

    // Called on the voice's own thread when the service cannot be reached or went away while
    // speaking; then Speaking drops to 0 and what was queued is dropped.
    std::function<void(const std::string&)> onError;

private:
    struct Job {
        unsigned generation;
        std::string module, voice, text;
        int rate;
    };
    void run();
    bool connect(std::string* error);
    void sayJob(const Job& job);
    void fail(const std::string& error);
    void done(long id);
    void spoken(long id);

    const DispatcherCatalog& catalog_;
    int mode_ = 1;
    int speed_ = kNormalSpeed;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> queue_;
    unsigned generation_ = 0;
    bool cancel_ = false;
    bool stop_ = false;
    int unsaid_ = 0;             // Speak calls of this generation not yet handed to the service
    std::set<long> playing_;     // said and not yet ended
    std::set<long> endedEarly_;  // ended before Say returned their id
    long lastSaid_ = -1;
    long tail_ = -1;  // a message whose quiet tail is to be cut, unless another follows it

    // Only the worker touches these.
    std::unique_ptr<DispatcherClient> client_;
    std::string module_, voice_;
    int rate_ = 0;
    bool rateSet_ = false;
    std::thread worker_;
};

}  // namespace vernalo
