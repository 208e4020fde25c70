#pragma once
// A synthesizer control over the voices of engines the program runs itself (drivenmode.h).
// A worker thread hands the pieces to the selected voice's engine, which stays running
// between them; what it makes goes to the same audio output the built-in engine speaks on,
// at kSampleRate. Prepare lets the worker make the next piece while this one plays.

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "speech/audiooutput.h"
#include "speech/driven/drivenmode.h"
#include "speech/driven/enginepool.h"
#include "speech/driven/piecesynthesis.h"
#include "speech/voice.h"

namespace vernalo {

class DrivenVoice : public Voice {
public:
    // `output` gives the output to write to (the built-in voice's shared output, which
    // counts what it is given, so that the built-in voice's word marks stay on its own).
    DrivenVoice(std::vector<DrivenMode> modes, std::function<PlaybackOutput&()> output);
    ~DrivenVoice() override;

    int modeCount() const override { return static_cast<int>(modes_.size()); }
    std::u16string modeName(int mode) const override;
    std::u16string speaker(int mode) const override;
    std::u16string productName(int mode) const override;
    bool supportsDictionaries(int) const override { return true; }
    void select(int mode) override;
    int speed() const override;
    void setSpeed(int speed) override;
    int minSpeed() const override { return kMinSpeed; }
    int maxSpeed() const override { return kMaxSpeed; }
    void speak(const std::u16string& text) override;
    int speaking() const override;
    void audioReset() override;
    void prepare(const std::u16string& text) override;
    // From the word times of an engine that tells them (Festival); none from the others.
    std::optional<WordSpan> heardWord() const override;

    const DrivenMode& mode(int mode) const { return modes_[static_cast<std::size_t>(mode - 1)]; }
    // The engine process this voice spoke with last while it runs (idle in the pool, maybe),
    // 0 when none.
    pid_t enginePid() const;

    // Called on the worker when an engine failed twice in a row (hung, died or said nothing
    // usable); what was queued is dropped and Speaking drops to 0.
    std::function<void(const std::string&)> onError;

    // Called on the worker when an engine that keeps its voice loaded starts on a piece (true)
    // and when that piece is made (false): the first piece of such a voice takes its load time.
    std::function<void(const std::u16string& speaker, bool loading)> onLoading;

private:
    struct Piece {
        std::u16string text;
        int mode;
        int speed;
        unsigned generation;
        bool play;     // Speak asked for it, not only Prepare
        bool started;  // the worker has taken it
        bool ready;
        SynthesizedPiece made;
    };
    void run();
    bool synthesize(const Piece& piece, SynthesizedPiece* made, std::string* error);
    void playReady(std::unique_lock<std::mutex>& lock);
    // Lends the engine to the pool while nothing is left to make.
    void giveBackIdle(std::unique_lock<std::mutex>& lock);

    std::vector<DrivenMode> modes_;
    std::function<PlaybackOutput&()> output_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Piece> queue_;
    // Of the piece written last, counted as the output counts.
    std::vector<PieceWord> words_;
    unsigned generation_ = 0;
    int mode_ = 1;
    int speed_ = kNormalSpeed;
    bool stop_ = false;

    std::shared_ptr<EnginePool> pool_ = EnginePool::shared();
    // The worker replaces the engine under the mutex, so that the destructor may interrupt it.
    std::unique_ptr<Synthesizer> engine_;
    int engineMode_ = 0;
    pid_t enginePid_ = 0;
    std::thread worker_;
};

}  // namespace vernalo
