#pragma once
// The reading session behind the Say button: reads the editor's text from the caret, piece by
// piece, each piece in the voice of its language, highlighting it and repeating it as its
// language's repeat count says.
//
// It is a state machine driven from outside: the owner calls Tick() from its event loop (a
// timer of a few milliseconds while Running(), and whenever a voice finishes). Each call does
// what can be done without waiting and returns; nothing here blocks or processes events. The
// editor and the buttons are reached through SessionView, so the same logic serves the window,
// the command-line tool and the tests.

#include <string>

#include "reading/segmenter.h"
#include "speech/synthesizer.h"

namespace vernalo {

// What the session needs from the window. Positions are editor positions (0-based UTF-16
// units, a line break is one unit), the same numbers as the segmenter's ReadPos - 1.
class SessionView {
public:
    virtual ~SessionView() = default;

    // The editor (`MemoText`).
    virtual std::u16string EditorText() const = 0;
    virtual long SelectionStart() const = 0;
    // Selects [start, start + length); the view clamps to the text it holds.
    virtual void SetSelection(long start, long length) = 0;
    virtual void SetReadOnly(bool readOnly) = 0;
    virtual void ScrollSelectionIntoView() = 0;
    // The caret, counted from 0.
    virtual long CaretColumn() const = 0;
    virtual long CaretLine() const = 0;

    // `SBSay`: down while a session runs. ReleaseSay puts it up without a click.
    virtual bool SayDown() const = 0;
    virtual void ReleaseSay() = 0;
    // 1: loudspeaker and pause sign side by side (reading); 2: loudspeaker alone (idle).
    virtual void SetSayGlyphs(int count) = 0;
    // `SBRepeat` down: the end of the text starts the reading over.
    virtual bool RepeatDown() const = 0;

    // `ChBRepSent` checked: sentence mode; otherwise word mode.
    virtual bool SentenceMode() const = 0;
    // `EdRURep`, `EdENRep`: 1 to 10.
    virtual int RepeatRU() const = 0;
    virtual int RepeatEN() const = 0;

    // Status bar panels: 0 caret column, 1 caret line, 3 the voice speaking.
    virtual void SetStatusText(int panel, const std::u16string& text) = 0;

    // The browser page is showing: Say first takes the page into the editor as formatted text.
    virtual bool BrowserPageActive() const { return false; }
    virtual void ImportBrowserPage() {}
};

class TReadingSession {
public:
    static constexpr int kMinRepeat = 1;
    static constexpr int kMaxRepeat = 10;

    // All four outlive the session. The segmenter holds the text being read, ReadPos and the
    // word flags (NeedGap carries over from one session to the next).
    TReadingSession(SessionView& view, TDirectSS& voiceRU, TDirectSS& voiceEN,
                    Segmenter& segmenter);

    // The user pressed (down) or released (up) Say. Pressing starts a session and does its
    // first piece at once; releasing silences both voices at once and pauses, leaving the
    // selection on the piece being read.
    void SayClicked(bool down);
    // One step of the piece loop: as many passes as can go on without waiting for a voice.
    void Tick();
    // The window closes: speech stops at once, Say is released, a running session pauses.
    void Close();

    bool Running() const { return running_; }
    // The last session was stopped by Say; the next one resumes at the selection start.
    bool Paused() const { return paused_; }
    void SetPaused(bool paused) { paused_ = paused; }

private:
    enum class Outcome { Waiting, Progress, Ended };

    void Start();
    void SetStartPosition();
    Outcome Pass();
    bool SpeakOnce();  // false: the voice (or both, in word mode) is busy
    Outcome FinishPiece();
    void EndAtTextEnd();
    void Pause();
    void Finish();
    void ShowCaret();

    SessionView& view_;
    TDirectSS& ru_;
    TDirectSS& en_;
    Segmenter& seg_;

    bool running_ = false;
    bool paused_ = false;
    bool pausedAtStart_ = false;  // Paused as it was when this session began
    bool pieceSelected_ = false;  // this session has highlighted a piece
    // Repeat: the round under way began at the first character, and has spoken something.
    bool roundFromStart_ = false;
    bool roundSpoke_ = false;

    // The piece being spoken: its repetitions still to issue.
    int repeatsLeft_ = 0;
    bool pieceRussian_ = false;
    bool pieceSentenceMode_ = true;
    std::u16string pieceSpeech_;
};

// The mode check boxes: a click first toggles the box clicked, then its handler makes the
// pair consistent so that every click switches the mode and exactly one box stays checked.
struct ModeBoxes {
    bool RepSent = true;   // `ChBRepSent`, checked at start
    bool RepWord = false;  // `ChBRepWord`
};
ModeBoxes ChBRepSentMouseUp(ModeBoxes boxes);
ModeBoxes ChBRepWordMouseUp(ModeBoxes boxes);

// Panel 3 texts.
inline constexpr char16_t kPanelRussian[] = u" - Russian - ";
inline constexpr char16_t kPanelEnglish[] = u" - English - ";
inline constexpr char16_t kPanelIdle[] = u" ";

}  // namespace vernalo
