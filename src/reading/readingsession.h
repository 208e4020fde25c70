#pragma once
// The reading session behind the Say button: reads the text from the caret, piece by piece,
// each piece in the voice of its language, highlighting it and repeating it as its language's
// repeat count says.
//
// It is a state machine driven from outside: the owner calls tick() from its event loop (a
// timer of a few milliseconds while running(), and whenever a voice finishes). Each call does
// what can be done without waiting and returns; nothing here blocks or processes events. The
// owner is reached through SessionView, so the same logic serves the window, the command-line
// tool and the tests.

#include <chrono>
#include <optional>
#include <string>

#include "reading/segmenter.h"
#include "speech/speaker.h"
#include "text/language.h"

namespace vernalo {

// How to read, as the user has set it; the session asks again before every piece.
struct ReadingOptions {
    static constexpr int kMinRepeat = 1;
    static constexpr int kMaxRepeat = 10;

    bool sentenceMode = true;
    bool repeatText = false;  // the end of the text starts the reading over
    PerLanguage<int> repeats{{1, 1}};
    PerLanguage<bool> voiceOn{{true, true}};
    bool markWord = true;  // the word being heard is marked inside the piece
    // Silence after each repetition, so a learner can say it after the voice: 0 none, 1 as
    // long as the piece sounded, 2 twice as long.
    int pauseAfter = 0;
    static constexpr int kMaxPauseAfter = 2;
};

// Why a reading stopped.
enum class ReadingStop {
    Paused,   // the user let go of Say
    TextEnd,  // the end of the text was reached
    Closed,   // the window closes
};

// A repetition of a piece, told just before its speech goes to the voice.
struct SpokenPiece {
    long start = 0;  // the piece in the text
    long length = 0;
    Language language = Language::Russian;
    int repetition = 0;  // 0 the first time
    std::u16string speech;
    SpeechMap map;  // where the speech comes from; empty when the highlight says it all
};

// What the session needs from its owner. Positions are 0-based UTF-16 units of the text (a
// line break is one unit), the same numbers as the segmenter's position.
class SessionView {
public:
    virtual ~SessionView() = default;

    // The text to read and where the user's selection (or the caret) begins.
    virtual std::u16string text() const = 0;
    virtual long selectionStart() const = 0;
    virtual ReadingOptions options() const = 0;
    // False once the user has let go of Say without the session being told.
    virtual bool readingRequested() const { return true; }
    // The browser page is showing: the session first takes the page in as the text.
    virtual bool browserPageShown() const { return false; }
    virtual void importBrowserPage() {}

    // The text is locked against editing and Say shows that it reads.
    virtual void readingStarted() {}
    // Select the piece being read and bring it into view.
    virtual void showPiece(long start, long length) = 0;
    // Mark the word being heard inside the piece, or no word.
    virtual void markWord(std::optional<TextSpan> word) { (void)word; }
    // Put the caret at a position, selecting nothing.
    virtual void placeCaret(long position) { showPiece(position, 0); }
    // A repetition of a piece is about to be spoken.
    virtual void pieceSpoken(const SpokenPiece& piece) { (void)piece; }
    // The voice now speaking, or none.
    virtual void speakingIn(std::optional<Language> language) { (void)language; }
    // The caret moved with the reading; caret displays follow it.
    virtual void caretMoved() {}
    // The text is unlocked and Say shows that it is idle; Say is let go unless the user did.
    virtual void readingStopped(ReadingStop why) { (void)why; }
};

class ReadingSession {
public:
    // All four outlive the session. The segmenter holds the text being read, its position and
    // the word flags (needGap carries over from one session to the next).
    ReadingSession(SessionView& view, PerLanguage<Speaker*> voices, Segmenter& segmenter);

    // The user pressed (down) or released (up) Say. Pressing starts a session and does its
    // first piece at once; releasing silences both voices at once and pauses, leaving the
    // selection on the piece being read.
    void sayToggled(bool down);
    // One step of the piece loop: as many passes as can go on without waiting for a voice.
    void tick();
    // The window closes: speech stops at once, Say is let go, a running session pauses.
    void close();

    bool running() const { return running_; }
    // The last session was stopped by Say; the next one resumes at the selection start.
    bool paused() const { return paused_; }
    void setPaused(bool paused) { paused_ = paused; }
    // Either voice still speaking.
    bool speaking() const;
    // The reading reached the end of the text, and the words of its last piece are still
    // marked as they are heard: tick() goes on being wanted.
    bool followingVoice() const { return trailing_; }

private:
    enum class Outcome { Waiting, Progress, Ended };

    void start();
    void setStartPosition();
    Outcome pass();
    // The voice for a piece without a language that holds a digit: the one that spoke the
    // last piece if it is on, else Russian if on, else English.
    Language numberLanguage(const ReadingOptions& options) const;
    bool speakOnce();  // false: the voice (or both, in word mode) is busy
    void hintNext(const ReadingOptions& options);
    Outcome finishPiece(const ReadingOptions& options);
    void endAtTextEnd();
    void stop(ReadingStop why);
    void finish();
    void resetVoices();
    // Marks the word the piece's voice is saying now, when it changed.
    void followVoice();
    void showMark(std::optional<TextSpan> word);
    void stopTrailing();
    // True while the silence after the last repetition lasts; starts it once the voice that
    // spoke falls silent.
    bool pausing(const ReadingOptions& options);
    Speaker& voice(Language language) { return *voices_[language]; }

    SessionView& view_;
    PerLanguage<Speaker*> voices_;
    Segmenter& seg_;

    bool running_ = false;
    bool paused_ = false;
    bool pausedAtStart_ = false;  // paused_ as it was when this session began
    bool pieceSelected_ = false;  // this session has highlighted a piece
    // Repeat text: the round under way began at the first character, and has spoken something.
    bool roundFromStart_ = false;
    bool roundSpoke_ = false;
    std::optional<Language> lastLanguage_;  // of the piece spoken last in this session

    // The piece being spoken, its repetition told next, and its repetitions still to issue.
    // Its map stays while its words may be marked.
    SpokenPiece piece_;
    int repeatsLeft_ = 0;
    bool pieceSentenceMode_ = true;
    bool markWord_ = true;
    bool trailing_ = false;  // the last piece sounds on after the end of the text
    std::optional<TextSpan> marked_;

    // The pause after each repetition. A piece's length is its audible sound where the voice
    // can tell it, else the time from handing it to the voice until the voice falls silent
    // (the service's voices, whose sound never passes through Vernalo). The time a voice
    // takes to start is not known beforehand, and so not taken off.
    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> spokeAt_;  // the repetition sounding now was handed over
    Language spokeIn_ = Language::Russian;
    Clock::time_point quietUntil_{};
};

}  // namespace vernalo
