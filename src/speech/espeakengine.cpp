#include "speech/espeakengine.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>
#include "speech/espeakstress.h"

#include "text/textcodec.h"

// libespeak-ng draws one rand() for about every sample it makes (its noise sources), and
// glibc's rand() takes a lock on each call: a fifth of the synthesis time went there. The
// program's own definition comes before the C library's for every library it loads, so
// these lock-free ones, one state per thread, serve the engine. Noise wants only uniform
// numbers, and nothing in the program relies on rand()'s sequence.
namespace {
thread_local std::uint64_t randState = 0x853C49E6748FEA9BULL;
}

extern "C" void srand(unsigned int seed) noexcept {
    randState = 0x853C49E6748FEA9BULL ^ (std::uint64_t(seed) << 1 | 1);
}

extern "C" int rand() noexcept {
    // xorshift64*: fast, full period, its high bits pass the usual statistical tests.
    std::uint64_t x = randState;
    x ^= x >> 12;
    x ^= x << 25;
    x ^= x >> 27;
    randState = x;
    return static_cast<int>((x * 0x2545F4914F6CDD1DULL) >> 33);  // 31 bits: 0..RAND_MAX
}

namespace vernalo {

namespace {

struct Candidate {
    const char* voice;
    const char16_t* name;
    const char16_t* speaker;
};

// Russian voices first, then English; the first of each language carries the speaker name
// that a first start selects.
const Candidate kCandidates[] = {
    {"ru", u"Russian, male", u"Nicolai"},
    {"ru+m3", u"Russian, male, low", u"Boris"},
    {"ru+f3", u"Russian, female", u"Elena"},
    {"ru+f5", u"Russian, female, soft", u"Tatiana"},
    {"en+f3", u"English (British), female", u"Carol"},
    {"en", u"English (British), male", u"Michael"},
    {"en+m3", u"English (British), male, low", u"Robert"},
    {"en-us", u"English (American), male", u"Peter"},
    {"en-us+f2", u"English (American), female", u"Susan"},
};

// The engine's phonemes for one word, in its ASCII names; on the engine's thread.
std::string EnginePhonemes(const std::u16string& word) {
    const std::string utf8 = Utf16ToUtf8(word);
    const void* at = utf8.c_str();
    const char* phonemes = espeak_TextToPhonemes(&at, espeakCHARS_UTF8, 0);
    return phonemes ? phonemes : "";
}

// A word callback for the respelled text that reports, as the job's own callback expects,
// code points of the text as it was given.
auto WordsOfTheSource(std::function<void(int, int, std::int64_t)> word,
                      const std::u16string& source, const StressedText& respelled) {
    std::vector<int> codePointOf(source.size() + 1, 0);
    const std::vector<long> starts = CodePointOffsets(source);
    for (std::size_t c = 0; c + 1 < starts.size(); ++c)
        for (long u = starts[c]; u < starts[c + 1]; ++u)
            codePointOf[static_cast<std::size_t>(u)] = static_cast<int>(c);
    codePointOf[source.size()] = static_cast<int>(starts.size()) - 1;
    return [word = std::move(word), codePointOf = std::move(codePointOf),
            units = CodePointOffsets(respelled.text), from = respelled.source,
            end = static_cast<int>(source.size())](int position, int length, std::int64_t sample) {
        const int last = static_cast<int>(units.size()) - 1;
        const int a = std::clamp(position, 0, last), b = std::clamp(position + length, a, last);
        const auto ua = static_cast<std::size_t>(units[static_cast<std::size_t>(a)]);
        const auto ub = static_cast<std::size_t>(units[static_cast<std::size_t>(b)]);
        const int first = ua < from.size() ? from[ua].from : end;
        const int past = ub > ua ? std::max(first, from[ub - 1].to) : first;
        word(codePointOf[static_cast<std::size_t>(first)],
             codePointOf[static_cast<std::size_t>(past)] -
                 codePointOf[static_cast<std::size_t>(first)],
             sample);
    };
}

int SynthCallback(short* wav, int count, espeak_EVENT* events) {
    auto* job = events ? static_cast<EspeakEngine::Job*>(events->user_data) : nullptr;
    if (!job) return 0;
    if (job->word) {
        for (const espeak_EVENT* e = events; e->type != espeakEVENT_LIST_TERMINATED; ++e)
            if (e->type == espeakEVENT_WORD) job->word(e->text_position - 1, e->length, e->sample);
    }
    if (!wav || count <= 0) return 0;
    return job->chunk(reinterpret_cast<const std::int16_t*>(wav), static_cast<std::size_t>(count))
               ? 0
               : 1;
}

}  // namespace

std::vector<long> CodePointOffsets(const std::u16string& text) {
    std::vector<long> offsets;
    offsets.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        offsets.push_back(static_cast<long>(i));
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
            text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            ++i;
    }
    offsets.push_back(static_cast<long>(text.size()));
    return offsets;
}

std::u16string MarkedText(const std::string& voice, const std::u16string& text) {
    return voice.starts_with("ru") && HasStressMark(text) ? text : std::u16string();
}

EspeakEngine& EspeakEngine::instance() {
    static EspeakEngine engine;
    return engine;
}

EspeakEngine::EspeakEngine() {
    // The modes are known before the constructor returns, so callers never see them change.
    std::promise<void> started;
    auto ready = started.get_future();
    worker_ = std::thread([this, &started] {
        const bool ok = start();
        started.set_value();
        if (ok) run();
    });
    ready.wait();
}

EspeakEngine::~EspeakEngine() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
    if (error_.empty()) espeak_ng_Terminate();
}

bool EspeakEngine::start() {
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    if (status == ENS_OK)
        status = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 40, nullptr);
    if (status != ENS_OK) {
        char message[512] = "";
        espeak_ng_GetStatusCodeMessage(status, message, sizeof message);
        espeak_ng_ClearErrorContext(&context);
        error_ = std::string("the speech engine cannot start: ") + message;
        return false;
    }
    espeak_SetSynthCallback(SynthCallback);
    const char* dataPath = nullptr;
    const char* version = espeak_Info(&dataPath);
    product_ = u"DIGALO Speech, espeak-ng " + Utf8ToUtf16(version ? version : "");
    for (const Candidate& c : kCandidates) {
        if (espeak_ng_SetVoiceByName(c.voice) == ENS_OK)
            modes_.push_back({c.voice, c.name, c.speaker});
    }
    if (modes_.empty()) error_ = "the speech engine has no Russian or English voice";
    return true;
}

void EspeakEngine::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (stop_) return;
        Job job = std::move(queue_.front());
        queue_.pop_front();
        running_ = job.owner;
        lock.unlock();
        synthesizeHere(job, currentVoice_);
        lock.lock();
        running_ = nullptr;
        idle_.notify_all();
    }
}

void EspeakEngine::synthesizeHere(Job& job, std::string& voice) {
    if (job.voice != voice) {
        if (espeak_ng_SetVoiceByName(job.voice.c_str()) == ENS_OK) voice = job.voice;
    }
    // Rate is global in the library and survives a voice switch: set it for every job.
    espeak_ng_SetParameter(espeakRATE, std::clamp(job.rate, kMinRate, kMaxRate), 0);
    bool abandoned = false;
    auto chunk = std::move(job.chunk);
    job.chunk = [&](const std::int16_t* samples, std::size_t count) {
        if (!chunk(samples, count)) abandoned = true;
        return !abandoned;
    };
    unsigned flags = espeakCHARS_UTF8;
    // The export's jobs come as UTF-8 alone; their marks count too.
    if (job.marked.empty() && job.voice.starts_with("ru"))
        job.marked = MarkedText(job.voice, Utf8ToUtf16(job.text));
    if (!job.marked.empty()) {
        const StressedText respelled = ApplyStressMarks(job.marked, EnginePhonemes);
        job.text = Utf16ToUtf8(respelled.text);
        if (respelled.phonemes) flags |= espeakPHONEMES;
        if (job.word) job.word = WordsOfTheSource(std::move(job.word), job.marked, respelled);
    }
    // The phonemes the engine reads with, as its command-line tool prints them.
    char* traced = nullptr;
    std::size_t tracedSize = 0;
    FILE* trace = job.phonemes ? open_memstream(&traced, &tracedSize) : nullptr;
    if (trace) espeak_SetPhonemeTrace(espeakPHONEMES_SHOW, trace);
    espeak_ng_STATUS status = espeak_ng_Synthesize(job.text.c_str(), job.text.size() + 1, 0,
                                                   POS_CHARACTER, 0, flags, nullptr, &job);
    if (trace) {
        espeak_SetPhonemeTrace(0, nullptr);
        std::fclose(trace);
        job.phonemes(std::string(traced, tracedSize));
        std::free(traced);
    }
    if (!abandoned && job.done) job.done();
    (void)status;
}

std::string EspeakEngine::phonemesOf(const std::string& voice, const std::u16string& text) {
    auto result = std::make_shared<std::promise<std::string>>();
    std::future<std::string> phonemes = result->get_future();
    Job job;
    job.owner = result.get();
    job.voice = voice;
    job.text = Utf16ToUtf8(text);
    job.marked = MarkedText(voice, text);
    job.chunk = [](const std::int16_t*, std::size_t) { return true; };
    job.phonemes = [result](std::string p) { result->set_value(std::move(p)); };
    {
        std::lock_guard lock(mutex_);
        if (stop_ || !error_.empty()) return {};
    }
    submit(std::move(job));
    return phonemes.get();
}

void EspeakEngine::submit(Job job) {
    {
        std::lock_guard lock(mutex_);
        if (stop_ || !error_.empty()) return;
        queue_.push_back(std::move(job));
    }
    wake_.notify_one();
}

int EspeakEngine::forkIdle(const std::function<int()>& child) {
#if defined(__SANITIZE_ADDRESS__)
    // This toolchain's AddressSanitizer keeps no lock over fork: a copy made while another
    // thread allocates can find the allocator locked for ever. Callers go on without a copy.
    (void)child;
    errno = ENOTSUP;
    return -1;
#else
    std::unique_lock lock(mutex_);
    if (!error_.empty()) return -1;
    // The worker takes no job while the lock is held, and none runs now.
    idle_.wait(lock, [this] { return running_ == nullptr; });
    const pid_t pid = ::fork();
    if (pid == 0) _exit(child());
    return pid;
#endif
}

void EspeakEngine::drop(const void* owner) {
    std::lock_guard lock(mutex_);
    std::erase_if(queue_, [owner](const Job& j) { return j.owner == owner; });
}

void EspeakEngine::drain(const void* owner) {
    std::unique_lock lock(mutex_);
    std::erase_if(queue_, [owner](const Job& j) { return j.owner == owner; });
    idle_.wait(lock, [this, owner] { return running_ != owner; });
}

std::string EspeakVersion() {
    const char* version = espeak_Info(nullptr);
    return version ? version : "";
}

}  // namespace vernalo
