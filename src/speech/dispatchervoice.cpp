#include "speech/dispatchervoice.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

#include "text/textcodec.h"

namespace vernalo {

namespace {

std::u16string Wide(const std::string& utf8) {
    return Utf8ToUtf16(utf8);
}

// "ru", "ru-LV" -> "ru"; lower case.
std::string BaseLanguage(const std::string& code) {
    std::string base = code.substr(0, code.find_first_of("-_"));
    for (char& c : base)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return base;
}

const char* LanguageWord(const std::string& code) {
    const std::string base = BaseLanguage(code);
    if (base == "ru") return "Russian";
    if (base == "en") return "English";
    return nullptr;
}

// A write to a service that has gone away must fail with EPIPE, not end the process: the
// threads that talk to the service keep the signal blocked.
void BlockBrokenPipe() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

}  // namespace

std::vector<DispatcherMode> DispatcherModes(
    const std::vector<std::pair<std::string, std::vector<ListedVoice>>>& modules) {
    std::vector<DispatcherMode> modes;
    std::map<std::u16string, int> speakers;
    for (const auto& [module, voices] : modules) {
        // The service's own stand-in speaks nothing but a recorded apology.
        if (module == "dummy") continue;
        std::set<std::string> plain;
        for (const ListedVoice& v : voices)
            plain.insert(v.name);
        for (const ListedVoice& v : voices) {
            const char* word = LanguageWord(v.language);
            if (!word || v.name.empty()) continue;
            const auto plus = v.name.find('+');
            if (plus != std::string::npos && plain.count(v.name.substr(0, plus))) continue;
            DispatcherMode m;
            m.module = module;
            m.voice = v.name;
            m.name = Wide(word) + u" (" + Wide(module) + u": " + Wide(v.name) + u")";
            std::u16string speaker = Wide(v.name) + u" (" + Wide(module) + u")";
            // Two modules may share a name; the lists need each speaker once.
            const int seen = ++speakers[speaker];
            if (seen > 1) speaker += u" " + Wide(std::to_string(seen));
            m.speaker = std::move(speaker);
            m.product = u"speech-dispatcher, " + Wide(module);
            modes.push_back(std::move(m));
        }
    }
    return modes;
}

std::vector<ListedVoice> ParseVoiceList(const std::string& reply) {
    std::vector<ListedVoice> voices;
    std::size_t at = 0;
    while (at < reply.size()) {
        std::size_t end = reply.find('\n', at);
        if (end == std::string::npos) end = reply.size();
        std::string line = reply.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // A data line is a three-digit code, a dash and three fields.
        if (line.size() < 4 || line[3] != '-') continue;
        const std::string fields = line.substr(4);
        const auto tab1 = fields.find('\t');
        const auto tab2 = tab1 == std::string::npos ? tab1 : fields.find('\t', tab1 + 1);
        if (tab2 == std::string::npos || tab1 == 0) continue;
        voices.push_back({fields.substr(0, tab1), fields.substr(tab1 + 1, tab2 - tab1 - 1),
                          fields.substr(tab2 + 1)});
    }
    return voices;
}

int DispatcherRate(int speedPercent) {
    const int speed =
        std::clamp(speedPercent, kMinSpeed, kMaxSpeed);
    const int normal = kNormalSpeed;
    // Linear on each side of the normal rate, so that both ends of the bar reach the
    // service's ends.
    if (speed <= normal)
        return static_cast<int>(
            std::lround(100.0 * (speed - normal) / (normal - kMinSpeed)));
    return static_cast<int>(
        std::lround(100.0 * (speed - normal) / (kMaxSpeed - normal)));
}

DispatcherCatalog::DispatcherCatalog(DispatcherClientFactory factory)
    : factory_(std::move(factory)) {
    worker_ = std::thread([this] {
        BlockBrokenPipe();
        std::vector<DispatcherMode> modes;
        std::string error;
        auto client = factory_ ? factory_() : nullptr;
        if (!client) {
            error = "speech-dispatcher is not available in this build";
        } else if (client->open(&error)) {
            std::vector<std::pair<std::string, std::vector<ListedVoice>>> modules;
            for (const std::string& module : client->modules())
                modules.emplace_back(module, client->voices(module));
            modes = DispatcherModes(modules);
        }
        client.reset();
        std::vector<std::function<void()>> listeners;
        {
            std::lock_guard lock(mutex_);
            modes_ = std::move(modes);
            error_ = std::move(error);
            done_ = true;
            listeners.swap(listeners_);
        }
        doneChanged_.notify_all();
        for (auto& listed : listeners)
            listed();
    });
}

DispatcherCatalog::~DispatcherCatalog() {
    if (worker_.joinable()) worker_.join();
}

const std::vector<DispatcherMode>& DispatcherCatalog::modes() const {
    static const std::vector<DispatcherMode> kNone;
    return done_ ? modes_ : kNone;
}

bool DispatcherCatalog::wait(std::chrono::milliseconds wait) const {
    std::unique_lock lock(mutex_);
    return doneChanged_.wait_for(lock, wait, [this] { return done_.load(); });
}

std::string DispatcherCatalog::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

void DispatcherCatalog::onListed(std::function<void()> listed) {
    {
        std::lock_guard lock(mutex_);
        if (!done_) {
            listeners_.push_back(std::move(listed));
            return;
        }
    }
    listed();
}

DispatcherVoice::DispatcherVoice(const DispatcherCatalog& catalog) : catalog_(catalog) {
    worker_ = std::thread([this] { run(); });
}

DispatcherVoice::~DispatcherVoice() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    worker_.join();
}

int DispatcherVoice::modeCount() const {
    return static_cast<int>(catalog_.modes().size());
}

std::u16string DispatcherVoice::modeName(int mode) const {
    if (mode < 1 || mode > modeCount()) return {};
    return catalog_.modes()[mode - 1].name;
}

std::u16string DispatcherVoice::speaker(int mode) const {
    if (mode < 1 || mode > modeCount()) return {};
    return catalog_.modes()[mode - 1].speaker;
}

std::u16string DispatcherVoice::productName(int mode) const {
    if (mode < 1 || mode > modeCount()) return {};
    return catalog_.modes()[mode - 1].product;
}

void DispatcherVoice::select(int mode) {
    if (mode < 1 || mode > modeCount()) return;
    mode_ = mode;
    speed_ = kNormalSpeed;
}

int DispatcherVoice::speed() const {
    return speed_;
}

void DispatcherVoice::setSpeed(int speed) {
    speed_ = std::clamp(speed, kMinSpeed, kMaxSpeed);
}

void DispatcherVoice::speak(const std::u16string& text) {
    if (modeCount() == 0 || text.empty()) return;
    const DispatcherMode& m = catalog_.modes()[mode_ - 1];
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(
            {generation_, m.module, m.voice, Utf16ToUtf8(text), DispatcherRate(speed_)});
        ++unsaid_;
    }
    wake_.notify_all();
}

int DispatcherVoice::speaking() const {
    std::lock_guard lock(mutex_);
    return unsaid_ + static_cast<int>(playing_.size());
}

void DispatcherVoice::audioReset() {
    {
        std::lock_guard lock(mutex_);
        // The reading resets the other language's voice after every piece: a voice with
        // nothing to say sends the service nothing.
        if (unsaid_ == 0 && playing_.empty()) return;
        ++generation_;
        queue_.clear();
        unsaid_ = 0;
        playing_.clear();
        tail_ = -1;
        cancel_ = true;
    }
    wake_.notify_all();
}

void DispatcherVoice::done(long id) {
    std::lock_guard lock(mutex_);
    // An id above the last one said is the end of a message whose Say has not returned yet.
    if (!playing_.erase(id) && id > lastSaid_) endedEarly_.insert(id);
}

void DispatcherVoice::spoken(long id) {
    {
        std::lock_guard lock(mutex_);
        if (!playing_.erase(id)) {
            if (id > lastSaid_) endedEarly_.insert(id);
            return;
        }
        // The next message would wait for the tail: silence that reads as a pause.
        tail_ = id;
    }
    wake_.notify_all();
}

bool DispatcherVoice::connect(std::string* error) {
    if (client_) return true;
    auto client = catalog_.factory() ? catalog_.factory()() : nullptr;
    if (!client) {
        *error = "speech-dispatcher is not available in this build";
        return false;
    }
    client->messageDone = [this](long id) { done(id); };
    client->messageSpoken = [this](long id) { spoken(id); };
    if (!client->open(error)) return false;
    client_ = std::move(client);
    module_.clear();
    voice_.clear();
    rateSet_ = false;
    return true;
}

void DispatcherVoice::sayJob(const Job& job) {
    std::string error;
    if (!connect(&error)) return fail("speech-dispatcher cannot be reached: " + error);
    if (!client_->alive()) return fail("speech-dispatcher has stopped");
    if (job.module != module_ || job.voice != voice_) {
        if (!client_->setVoice(job.module, job.voice))
            return fail("speech-dispatcher refused the voice " + job.voice + " of " + job.module);
        module_ = job.module;
        voice_ = job.voice;
    }
    if (!rateSet_ || job.rate != rate_) {
        client_->setRate(job.rate);
        rate_ = job.rate;
        rateSet_ = true;
    }
    const long id = client_->say(job.text);
    if (id < 0) {
        if (!client_->alive()) return fail("speech-dispatcher has stopped");
    }
    std::lock_guard lock(mutex_);
    if (job.generation != generation_) return;  // reset meanwhile: the cancel follows
    --unsaid_;
    if (id < 0) return;  // not taken: nothing to wait for
    lastSaid_ = std::max(lastSaid_, id);
    if (!endedEarly_.erase(id)) playing_.insert(id);
}

void DispatcherVoice::fail(const std::string& error) {
    // Told before Speaking drops, so that whoever waits for the end learns why it came.
    if (onError) onError(error);
    {
        std::lock_guard lock(mutex_);
        ++generation_;
        queue_.clear();
        unsaid_ = 0;
        playing_.clear();
        endedEarly_.clear();
    }
    // A dead connection stays dead: the next Speak connects anew.
    client_.reset();
}

void DispatcherVoice::run() {
    BlockBrokenPipe();
    using namespace std::chrono_literals;
    std::unique_lock lock(mutex_);
    for (;;) {
        // While something plays, look every so often whether the service is still there: a
        // service that died sends no end of message.
        if (playing_.empty()) {
            wake_.wait(lock, [this] { return stop_ || cancel_ || tail_ >= 0 || !queue_.empty(); });
        } else {
            wake_.wait_for(lock, 200ms,
                           [this] { return stop_ || cancel_ || tail_ >= 0 || !queue_.empty(); });
        }
        if (stop_) break;
        if (tail_ >= 0) {
            // Only while nothing newer has been said: a cancel drops all of the connection's
            // messages.
            const bool cut = tail_ == lastSaid_ && !cancel_;
            tail_ = -1;
            if (cut && client_) {
                lock.unlock();
                client_->cancel();
                lock.lock();
            }
            continue;
        }
        if (cancel_) {
            cancel_ = false;
            lock.unlock();
            if (client_) client_->cancel();
            lock.lock();
            continue;
        }
        if (!queue_.empty()) {
            Job job = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            sayJob(job);
            lock.lock();
            continue;
        }
        if (!playing_.empty() && client_) {
            lock.unlock();
            const bool alive = client_->alive();
            if (!alive) fail("speech-dispatcher has stopped while speaking");
            lock.lock();
        }
    }
    lock.unlock();
    if (client_) client_->cancel();
    client_.reset();
}

}  // namespace vernalo
