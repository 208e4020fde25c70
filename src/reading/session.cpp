#include "reading/session.h"

#include <algorithm>

namespace vernalo {

namespace {

// A voice that never reports Speaking would let one Tick run through the whole text; the
// cap keeps each call short so the window stays responsive.
constexpr int kMaxPassesPerTick = 64;

std::u16string Decimal(long n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

int ClampRepeat(int n) {
    return std::clamp(n, TReadingSession::kMinRepeat, TReadingSession::kMaxRepeat);
}

}  // namespace

TReadingSession::TReadingSession(SessionView& view, TDirectSS& voiceRU, TDirectSS& voiceEN,
                                 Segmenter& segmenter)
    : view_(view), ru_(voiceRU), en_(voiceEN), seg_(segmenter) {}

void TReadingSession::SayClicked(bool down) {
    if (down) {
        if (!running_) Start();
    } else if (running_) {
        Pause();
    }
}

void TReadingSession::Close() {
    if (running_) {
        view_.ReleaseSay();
        Pause();
    } else {
        // The last piece may still be sounding after the reading reached the end.
        ru_.AudioReset();
        en_.AudioReset();
    }
}

void TReadingSession::Start() {
    if (view_.BrowserPageActive()) view_.ImportBrowserPage();
    view_.SetSayGlyphs(1);
    ru_.AudioReset();
    en_.AudioReset();
    seg_.SetText(view_.EditorText());
    view_.SetReadOnly(true);
    running_ = true;
    pieceSelected_ = false;
    repeatsLeft_ = 0;
    pausedAtStart_ = paused_;
    SetStartPosition();
    roundFromStart_ = seg_.ReadPos == 1;
    roundSpoke_ = false;
    Tick();
}

void TReadingSession::SetStartPosition() {
    const long s = view_.SelectionStart();
    if (s > seg_.ReadLength - 1 || s <= 0)
        seg_.ReadPos = 1;  // a caret at the very end starts over
    else if (paused_)
        seg_.ReadPos = s + 1;  // resume with the first character of the selection
    else
        seg_.ReadPos = s;  // the character before the caret: the separator the piece begins with
    // That character may take two units; reading starts with its first, not in its middle.
    const std::u16string& t = seg_.ReadText;
    const auto i = static_cast<std::size_t>(seg_.ReadPos - 1);
    if (i > 0 && i < t.size() && t[i] >= 0xDC00 && t[i] <= 0xDFFF && t[i - 1] >= 0xD800 &&
        t[i - 1] <= 0xDBFF)
        --seg_.ReadPos;
    paused_ = false;
}

void TReadingSession::Tick() {
    for (int i = 0; running_ && i < kMaxPassesPerTick; ++i) {
        if (Pass() != Outcome::Progress) break;
    }
}

TReadingSession::Outcome TReadingSession::Pass() {
    if (!view_.SayDown()) {  // released without a click reaching us
        Pause();
        return Outcome::Ended;
    }
    if (repeatsLeft_ > 0) {
        if (!SpeakOnce()) return Outcome::Waiting;
        return repeatsLeft_ > 0 ? Outcome::Progress : FinishPiece();
    }

    const bool sentence = view_.SentenceMode();
    if (ru_.Speaking() || en_.Speaking()) return Outcome::Waiting;

    const long start = seg_.ReadPos - 1;
    bool russian = false, english = false;
    std::u16string speech;
    if (sentence) {
        TResultSentence r = seg_.NextSentence();
        russian = r.Russian;
        english = r.English;
        speech = std::move(r.Speech);
    } else {
        TResultWord r = seg_.NextWord();
        russian = r.Russian;
        english = r.English;
        speech = std::move(r.Speech);
    }
    view_.SetSelection(start, seg_.ReadPos - start - 1);
    view_.ScrollSelectionIntoView();
    pieceSelected_ = true;

    if (russian || english) {  // a piece without a language is passed over silently
        pieceRussian_ = russian;
        pieceSentenceMode_ = sentence;
        pieceSpeech_ = std::move(speech);
        roundSpoke_ = true;
        repeatsLeft_ = ClampRepeat(russian ? view_.RepeatRU() : view_.RepeatEN());
        SpeakOnce();
        if (repeatsLeft_ > 0) return Outcome::Progress;
    }
    return FinishPiece();
}

bool TReadingSession::SpeakOnce() {
    TDirectSS& voice = pieceRussian_ ? ru_ : en_;
    TDirectSS& other = pieceRussian_ ? en_ : ru_;
    // A sentence waits for its own voice only; a word waits until both are silent.
    const bool busy =
        pieceSentenceMode_ ? voice.Speaking() != 0 : (ru_.Speaking() != 0 || en_.Speaking() != 0);
    if (busy) return false;
    voice.Speak(pieceSpeech_);
    other.AudioReset();
    view_.SetStatusText(3, pieceRussian_ ? kPanelRussian : kPanelEnglish);
    --repeatsLeft_;
    return true;
}

TReadingSession::Outcome TReadingSession::FinishPiece() {
    ShowCaret();
    if (seg_.ReadPos <= seg_.ReadLength) return Outcome::Progress;
    // A whole round that found nothing to speak would only find nothing again, for ever.
    if (view_.RepeatDown() && (roundSpoke_ || !roundFromStart_)) {
        view_.SetSelection(0, 0);
        seg_.ReadPos = 1;
        roundFromStart_ = true;
        roundSpoke_ = false;
        return Outcome::Progress;
    }
    EndAtTextEnd();
    return Outcome::Ended;
}

void TReadingSession::EndAtTextEnd() {
    // The last piece is not waited for: it goes on sounding while Say comes up.
    view_.SetReadOnly(false);
    view_.SetSayGlyphs(2);
    view_.SetSelection(seg_.ReadLength, 0);
    view_.ReleaseSay();
    Finish();
}

void TReadingSession::Pause() {
    ru_.AudioReset();
    en_.AudioReset();
    view_.SetReadOnly(false);
    view_.SetSayGlyphs(2);
    // Stopped before anything was highlighted: the selection is still the user's, so the
    // next start follows the same rule as this one did.
    paused_ = pieceSelected_ || pausedAtStart_;
    Finish();
}

void TReadingSession::Finish() {
    running_ = false;
    repeatsLeft_ = 0;
    pieceSpeech_.clear();
    view_.SetStatusText(3, kPanelIdle);
    ShowCaret();
}

void TReadingSession::ShowCaret() {
    view_.SetStatusText(0, u"Column: " + Decimal(view_.CaretColumn()));
    view_.SetStatusText(1, u"String: " + Decimal(view_.CaretLine()));
}

ModeBoxes ChBRepSentMouseUp(ModeBoxes b) {
    if (b.RepWord) {
        b.RepWord = false;
        b.RepSent = true;
    } else {
        b.RepSent = false;
        b.RepWord = true;
    }
    return b;
}

ModeBoxes ChBRepWordMouseUp(ModeBoxes b) {
    if (b.RepSent) {
        b.RepSent = false;
        b.RepWord = true;
    } else {
        b.RepSent = true;
        b.RepWord = false;
    }
    return b;
}

}  // namespace vernalo
