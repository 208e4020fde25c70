#include "speech/espeakvoice.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "text/textcodec.h"

namespace vernalo {

EspeakVoice::EspeakVoice(std::unique_ptr<PlaybackOutput> output, int mode)
    : engine_(EspeakEngine::instance()),
      output_(output ? std::move(output) : std::make_unique<NullOutput>()) {
    mode_ = (mode >= 1 && mode <= modeCount()) ? mode : 1;
}

EspeakVoice::~EspeakVoice() {
    {
        std::lock_guard lock(mutex_);
        ++generation_;
    }
    engine_.drain(this);
}

int EspeakVoice::modeCount() const {
    return static_cast<int>(engine_.modes().size());
}

std::u16string EspeakVoice::modeName(int mode) const {
    if (mode < 1 || mode > modeCount()) return {};
    return engine_.modes()[mode - 1].name;
}

std::u16string EspeakVoice::speaker(int mode) const {
    if (mode < 1 || mode > modeCount()) return {};
    return engine_.modes()[mode - 1].speaker;
}

std::u16string EspeakVoice::productName(int mode) const {
    if (mode < 1 || mode > modeCount()) return {};
    return engine_.productName();
}

void EspeakVoice::select(int mode) {
    if (mode < 1 || mode > modeCount()) return;
    mode_ = mode;
    speed_ = kNormalSpeed;
}

void EspeakVoice::setSpeed(int speed) {
    speed_ = std::clamp(speed, kMinSpeed, kMaxSpeed);
}

int EspeakVoice::findSpeaker(const std::u16string& name) {
    const auto& modes = EspeakEngine::instance().modes();
    for (std::size_t i = 0; i < modes.size(); ++i)
        if (modes[i].speaker == name) return static_cast<int>(i) + 1;
    return 0;
}

void EspeakVoice::speak(const std::u16string& text) {
    if (modeCount() == 0 || text.empty()) return;
    EspeakEngine::Job job;
    job.owner = this;
    job.voice = engine_.modes()[mode_ - 1].voice;
    job.rate = static_cast<int>(std::lround(EspeakEngine::kNormalRate * speed_ / 100.0));
    job.text = Utf16ToUtf8(text);
    job.marked = MarkedText(job.voice, text);
    unsigned generation, id;
    {
        std::lock_guard lock(mutex_);
        generation = generation_;
        id = ++jobs_;
        ++pending_;
        lastSpan_ = SoundSpan();
        lastDone_ = false;
        // Words already heard to their text's end are of no more use.
        if (auto heard = output_->heard())
            std::erase_if(words_, [&](const TimedWord& w) { return w.end <= *heard; });
    }
    // Where the job's audio begins among the output's samples: known at its first event.
    auto base = std::make_shared<std::int64_t>(-1);
    job.chunk = [this, generation, base, id](const std::int16_t* samples, std::size_t count) {
        std::lock_guard lock(mutex_);
        if (generation != generation_) return false;
        if (*base < 0) *base = written_;
        output_->write(samples, count);
        written_ += static_cast<std::int64_t>(count);
        if (id == jobs_) lastSpan_.add(samples, count);
        return true;
    };
    job.word = [this, generation, base, id, offsets = CodePointOffsets(text)](
                   int position, int length, std::int64_t sample) {
        const auto last = static_cast<int>(offsets.size()) - 1;
        const int from = std::clamp(position, 0, last);
        const int to = std::clamp(position + length, from, last);
        std::lock_guard lock(mutex_);
        if (generation != generation_) return;
        if (*base < 0) *base = written_;
        words_.push_back({*base + sample,
                          std::numeric_limits<std::int64_t>::max(),
                          id,
                          {offsets[from], offsets[to] - offsets[from]}});
    };
    job.done = [this, generation, id] {
        std::lock_guard lock(mutex_);
        if (generation != generation_) return;
        --pending_;
        for (TimedWord& w : words_)
            if (w.job == id) w.end = written_;
        if (id == jobs_) lastDone_ = true;
        output_->flush();
    };
    engine_.submit(std::move(job));
}

std::optional<Voice::WordSpan> EspeakVoice::heardWord() const {
    std::lock_guard lock(mutex_);
    const std::optional<std::int64_t> heard = output_->heard();
    if (!heard) return std::nullopt;
    // The last word begun by now, while its text still sounds.
    auto after = std::upper_bound(words_.begin(), words_.end(), *heard,
                                  [](std::int64_t h, const TimedWord& w) { return h < w.sample; });
    if (after == words_.begin()) return std::nullopt;
    const TimedWord& w = *std::prev(after);
    if (*heard >= w.end) return std::nullopt;
    return w.span;
}

std::optional<Voice::SoundLength> EspeakVoice::lastSound() const {
    std::lock_guard lock(mutex_);
    const std::int64_t first = lastSpan_.firstLoud(), last = lastSpan_.lastLoud();
    if (!lastDone_ || first < 0) return std::nullopt;
    const auto seconds = [](std::int64_t samples) {
        return static_cast<double>(samples) / kSampleRate;
    };
    return SoundLength{seconds(last - first + 1), seconds(first),
                       seconds(lastSpan_.total() - 1 - last)};
}

int EspeakVoice::speaking() const {
    std::lock_guard lock(mutex_);
    return pending_ > 0 || output_->playing() ? 1 : 0;
}

void EspeakVoice::audioReset() {
    {
        std::lock_guard lock(mutex_);
        ++generation_;
        pending_ = 0;
        output_->reset();
        words_.clear();
    }
    engine_.drop(this);
}

void EspeakVoice::SharedOutput::write(const std::int16_t* samples, std::size_t count) {
    std::lock_guard lock(voice_.mutex_);
    voice_.output_->write(samples, count);
    voice_.written_ += static_cast<std::int64_t>(count);
}

bool EspeakVoice::SharedOutput::playing() const {
    std::lock_guard lock(voice_.mutex_);
    return voice_.output_->playing();
}

void EspeakVoice::SharedOutput::reset() {
    std::lock_guard lock(voice_.mutex_);
    voice_.output_->reset();
}

void EspeakVoice::SharedOutput::flush() {
    std::lock_guard lock(voice_.mutex_);
    voice_.output_->flush();
}

std::optional<std::int64_t> EspeakVoice::SharedOutput::heard() const {
    std::lock_guard lock(voice_.mutex_);
    return voice_.output_->heard();
}

std::chrono::milliseconds EspeakVoice::SharedOutput::handOver() const {
    std::lock_guard lock(voice_.mutex_);
    return voice_.output_->handOver();
}

bool EspeakVoice::SharedOutput::reopen(std::string* error) {
    // Opening a device takes a while; the output stays the same, so the voice is not held.
    return voice_.output_->reopen(error);
}

}  // namespace vernalo
