#include "speech/driven/drivenvoice.h"

#include <algorithm>
#include <cmath>

#include "text/textcodec.h"

namespace vernalo {

namespace {

// Pieces made ahead but not yet asked for: the next one is all a reading needs.
constexpr std::size_t kMaxAhead = 2;

}  // namespace

DrivenVoice::DrivenVoice(std::vector<DrivenMode> modes, std::function<PlaybackOutput&()> output)
    : modes_(std::move(modes)), output_(std::move(output)) {
    worker_ = std::thread([this] { run(); });
}

DrivenVoice::~DrivenVoice() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        ++generation_;
        queue_.clear();
        // A hung engine would hold the worker until its time is up.
        if (engine_) engine_->interrupt();
    }
    wake_.notify_all();
    worker_.join();
    engine_.reset();  // kills and reaps the engine
}

std::u16string DrivenVoice::modeName(int mode) const {
    return mode < 1 || mode > modeCount() ? std::u16string() : this->mode(mode).name;
}

std::u16string DrivenVoice::speaker(int mode) const {
    return mode < 1 || mode > modeCount() ? std::u16string() : this->mode(mode).speaker;
}

std::u16string DrivenVoice::productName(int mode) const {
    return mode < 1 || mode > modeCount() ? std::u16string() : this->mode(mode).product;
}

void DrivenVoice::select(int mode) {
    if (mode < 1 || mode > modeCount()) return;
    std::lock_guard lock(mutex_);
    mode_ = mode;
    speed_ = kNormalSpeed;
    // What was made ahead was made with the other voice.
    std::erase_if(queue_, [](const Piece& p) { return !p.play && !p.started; });
}

int DrivenVoice::speed() const {
    std::lock_guard lock(mutex_);
    return speed_;
}

void DrivenVoice::setSpeed(int speed) {
    std::lock_guard lock(mutex_);
    speed_ = std::clamp(speed, kMinSpeed, kMaxSpeed);
    std::erase_if(queue_, [this](const Piece& p) { return !p.play && p.speed != speed_; });
}

void DrivenVoice::speak(const std::u16string& text) {
    if (text.empty() || modes_.empty()) return;
    std::unique_lock lock(mutex_);
    for (Piece& p : queue_) {
        if (!p.play && p.text == text && p.mode == mode_ && p.speed == speed_) {
            p.play = true;
            playReady(lock);
            return;
        }
    }
    // What was made ahead for another text will not be asked for; one being made now is
    // left to end.
    std::erase_if(queue_, [](const Piece& p) { return !p.play && (p.ready || !p.started); });
    queue_.push_back(Piece{text, mode_, speed_, generation_, true, false, false, {}});
    wake_.notify_all();
}

void DrivenVoice::prepare(const std::u16string& text) {
    if (text.empty() || modes_.empty()) return;
    std::lock_guard lock(mutex_);
    std::size_t ahead = 0;
    for (const Piece& p : queue_) {
        if (p.text == text && p.mode == mode_ && p.speed == speed_) return;
        if (!p.play) ++ahead;
    }
    if (ahead >= kMaxAhead) return;
    queue_.push_back(Piece{text, mode_, speed_, generation_, false, false, false, {}});
    wake_.notify_all();
}

int DrivenVoice::speaking() const {
    std::lock_guard lock(mutex_);
    for (const Piece& p : queue_)
        if (p.play) return 1;
    return output_().playing() ? 1 : 0;
}

void DrivenVoice::audioReset() {
    std::lock_guard lock(mutex_);
    ++generation_;
    queue_.clear();
    words_.clear();
    output_().reset();
}

std::optional<Voice::WordSpan> DrivenVoice::heardWord() const {
    std::lock_guard lock(mutex_);
    if (words_.empty()) return std::nullopt;
    const std::optional<std::int64_t> heard = output_().heard();
    if (!heard) return std::nullopt;
    for (const PieceWord& w : words_)
        if (w.start <= *heard && *heard < w.end) return w.span;
    return std::nullopt;
}

pid_t DrivenVoice::enginePid() const {
    std::lock_guard lock(mutex_);
    return enginePid_;
}

void DrivenVoice::playReady(std::unique_lock<std::mutex>&) {
    // Pieces play in the order asked for: a ready one waits for those before it.
    for (auto it = queue_.begin(); it != queue_.end();) {
        if (!it->play) {
            ++it;
            continue;
        }
        if (!it->ready) return;
        PlaybackOutput& out = output_();
        // The words' samples are known in the output's count only when the piece starts on a
        // silent output (as sentences do): all it was given has then been heard.
        words_.clear();
        const std::optional<std::int64_t> heard = out.playing() ? std::nullopt : out.heard();
        if (heard) {
            for (PieceWord w : it->made.words) {
                w.start += *heard;
                w.end += *heard;
                words_.push_back(w);
            }
        }
        out.write(it->made.samples.data(), it->made.samples.size());
        out.flush();
        it = queue_.erase(it);
    }
}

void DrivenVoice::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        giveBackIdle(lock);
        auto next = queue_.end();
        wake_.wait(lock, [&] {
            next = std::find_if(queue_.begin(), queue_.end(),
                                [](const Piece& p) { return !p.started; });
            return stop_ || next != queue_.end();
        });
        if (stop_) return;
        next->started = true;
        const Piece piece = *next;
        lock.unlock();
        SynthesizedPiece made;
        std::string error;
        const bool ok = synthesize(piece, &made, &error);
        lock.lock();
        if (piece.generation != generation_) continue;  // reset meanwhile: never played
        auto it = std::find_if(queue_.begin(), queue_.end(), [&](const Piece& p) {
            return p.started && !p.ready && p.text == piece.text && p.mode == piece.mode &&
                   p.speed == piece.speed;
        });
        if (it == queue_.end()) continue;  // dropped by a change of voice or speed
        if (!ok) {
            // The failed pieces count as speaking until the error is out, so that whoever
            // waits for the voice to fall silent finds the error there.
            const unsigned failed = generation_++;
            const std::string message = "the speech engine " +
                                        Utf16ToUtf8(modes_[piece.mode - 1].product) +
                                        " failed: " + error;
            lock.unlock();
            if (onError) onError(message);
            lock.lock();
            std::erase_if(queue_, [failed](const Piece& p) { return p.generation == failed; });
            continue;
        }
        it->made = std::move(made);
        it->ready = true;
        playReady(lock);
    }
}

void DrivenVoice::giveBackIdle(std::unique_lock<std::mutex>& lock) {
    if (!engine_ || stop_ ||
        std::any_of(queue_.begin(), queue_.end(), [](const Piece& p) { return !p.started; }))
        return;
    std::unique_ptr<Synthesizer> engine = std::move(engine_);
    const int mode = engineMode_;
    engineMode_ = 0;
    lock.unlock();
    pool_->give(modes_[mode - 1], std::move(engine));
    lock.lock();
}

bool DrivenVoice::synthesize(const Piece& piece, SynthesizedPiece* made, std::string* error) {
    const std::u16string& speaker = modes_[piece.mode - 1].speaker;
    bool loading = false;
    EngineTurns turns;
    turns.take = [&](int attempt) -> Synthesizer* {
        if (!engine_ || engineMode_ != piece.mode) {
            std::unique_ptr<Synthesizer> before;
            {
                std::lock_guard lock(mutex_);
                before = std::move(engine_);
            }
            if (before) pool_->give(modes_[engineMode_ - 1], std::move(before));
            // After a failure the engine is made afresh, not taken from the pool.
            auto engine =
                attempt == 0 ? pool_->take(modes_[piece.mode - 1]) : modes_[piece.mode - 1].make();
            std::lock_guard lock(mutex_);
            if (stop_) return nullptr;
            engine_ = std::move(engine);
            engineMode_ = piece.mode;
        }
        loading = engine_->loadsOnce() && engine_->pid() == 0;
        if (loading && onLoading) onLoading(speaker, true);
        return engine_.get();
    };
    turns.done = [&](bool ok) {
        if (loading && onLoading) onLoading(speaker, false);
        std::lock_guard lock(mutex_);
        enginePid_ = engine_->pid();
        if (ok) return true;
        engine_.reset();
        enginePid_ = 0;
        return !stop_;
    };
    return SynthesizePiece(Utf16ToUtf8(piece.text), piece.speed, turns, true, made, error);
}

}  // namespace vernalo
