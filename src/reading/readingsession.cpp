#include "reading/readingsession.h"

#include <algorithm>
#include <string_view>

namespace vernalo {

namespace {

// A voice that never reports speaking would let one tick run through the whole text; the
// cap keeps each call short so the window stays responsive.
constexpr int kMaxPassesPerTick = 64;

int ClampRepeat(int n) {
    return std::clamp(n, ReadingOptions::kMinRepeat, ReadingOptions::kMaxRepeat);
}

bool HasDigit(std::u16string_view text) {
    return std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

// Blanks between the words of a text, not around it.
bool HasInnerBlank(std::u16string_view text) {
    const auto first = text.find_first_not_of(u" \t\r\n");
    const auto last = text.find_last_not_of(u" \t\r\n");
    return first != std::u16string_view::npos &&
           text.substr(first, last - first + 1).find_first_of(u" \t\r\n") !=
               std::u16string_view::npos;
}

bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}
bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

}  // namespace

ReadingSession::ReadingSession(SessionView& view, PerLanguage<Speaker*> voices,
                               Segmenter& segmenter)
    : view_(view), voices_(voices), seg_(segmenter) {}

void ReadingSession::sayToggled(bool down) {
    if (down) {
        if (!running_) start();
    } else if (running_) {
        stop(ReadingStop::Paused);
    }
}

void ReadingSession::close() {
    stopTrailing();
    if (running_)
        stop(ReadingStop::Closed);
    else
        resetVoices();  // the last piece may still be sounding after the reading reached the end
}

bool ReadingSession::speaking() const {
    return std::any_of(kLanguages.begin(), kLanguages.end(),
                       [this](Language l) { return voices_[l]->speaking() != 0; });
}

void ReadingSession::resetVoices() {
    for (Language l : kLanguages)
        voice(l).audioReset();
}

void ReadingSession::stopTrailing() {
    trailing_ = false;
    piece_.map.clear();
    showMark(std::nullopt);
}

void ReadingSession::start() {
    stopTrailing();
    if (view_.browserPageShown()) view_.importBrowserPage();
    view_.readingStarted();
    resetVoices();
    seg_.setText(view_.text());
    running_ = true;
    pieceSelected_ = false;
    spokeAt_.reset();
    quietUntil_ = {};
    repeatsLeft_ = 0;
    lastLanguage_.reset();
    pausedAtStart_ = paused_;
    setStartPosition();
    roundFromStart_ = seg_.position == 0;
    roundSpoke_ = false;
    tick();
}

void ReadingSession::setStartPosition() {
    const long s = view_.selectionStart();
    if (s > seg_.readLength - 1 || s <= 0)
        seg_.position = 0;  // a caret at the very end starts over
    else if (paused_)
        seg_.position = s;  // resume with the first character of the selection
    else
        seg_.position =
            s - 1;  // the character before the caret: the separator the piece begins with
    // That character may take two units; reading starts with its first, not in its middle.
    const std::u16string& t = seg_.readText;
    const auto i = static_cast<std::size_t>(seg_.position);
    if (i > 0 && i < t.size() && IsLowSurrogate(t[i]) && IsHighSurrogate(t[i - 1])) --seg_.position;
    paused_ = false;
}

void ReadingSession::tick() {
    for (int i = 0; running_ && i < kMaxPassesPerTick; ++i) {
        if (pass() != Outcome::Progress) break;
    }
    if (running_ || trailing_) followVoice();
}

void ReadingSession::followVoice() {
    if (trailing_ && !voice(piece_.language).speaking()) {
        trailing_ = false;
        piece_.map.clear();
    }
    std::optional<TextSpan> word;
    if (markWord_ && !piece_.map.empty()) {
        if (auto heard = voice(piece_.language).heardWord())
            word = piece_.map.textOf(heard->offset, heard->length);
    }
    showMark(word);
}

void ReadingSession::showMark(std::optional<TextSpan> word) {
    if (word == marked_) return;
    marked_ = word;
    view_.markWord(word);
}

ReadingSession::Outcome ReadingSession::pass() {
    if (!view_.readingRequested()) {  // let go without a call reaching us
        stop(ReadingStop::Paused);
        return Outcome::Ended;
    }
    const ReadingOptions options = view_.options();
    markWord_ = options.markWord;
    if (pausing(options)) return Outcome::Waiting;
    if (repeatsLeft_ > 0) {
        if (!speakOnce()) return Outcome::Waiting;
        return repeatsLeft_ > 0 ? Outcome::Progress : finishPiece(options);
    }
    if (speaking()) return Outcome::Waiting;

    const long start = seg_.position;
    seg_.enabled = options.voiceOn;
    std::optional<Language> language;
    std::u16string speech;
    SpeechMap map;
    if (options.sentenceMode) {
        SentencePiece r = seg_.nextSentence();
        language = r.language;
        speech = std::move(r.speech);
        map = std::move(r.map);
    } else {
        WordPiece r = seg_.nextWord();
        language = r.language;
        speech = std::move(r.speech);
        // A word piece holds one word, which the selection already shows, unless a switched-off
        // voice's letters were spelled out beside it.
        if (HasInnerBlank(speech)) map = std::move(r.map);
    }
    const long length = std::max(0L, seg_.position - start);
    showMark(std::nullopt);
    piece_.map.clear();
    view_.showPiece(start, length);
    pieceSelected_ = true;

    if (!language) {
        // A number with no letter of a voice beside it ("911!" after "Call ") would be lost;
        // it is read as the editor shows it, in the voice the reading goes on in. Anything
        // else without a language is passed over silently.
        const std::u16string_view span =
            std::u16string_view(seg_.readText)
                .substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
        if (HasDigit(span)) {
            language = numberLanguage(options);
            speech.assign(span);
            map.clear();
            if (options.sentenceMode || HasInnerBlank(speech)) map.addCopy(length, start);
        }
    }
    if (language) {
        piece_.start = start;
        piece_.length = length;
        piece_.map = std::move(map);
        lastLanguage_ = language;
        piece_.language = *language;
        piece_.repetition = 0;
        pieceSentenceMode_ = options.sentenceMode;
        piece_.speech = std::move(speech);
        roundSpoke_ = true;
        repeatsLeft_ = ClampRepeat(options.repeats[*language]);
        speakOnce();
        hintNext(options);
        if (repeatsLeft_ > 0) return Outcome::Progress;
    }
    return finishPiece(options);
}

bool ReadingSession::pausing(const ReadingOptions& options) {
    const Clock::time_point now = Clock::now();
    if (spokeAt_ && voice(spokeIn_).speaking() == 0) {
        const int factor = std::clamp(options.pauseAfter, 0, ReadingOptions::kMaxPauseAfter);
        const Clock::duration took = now - *spokeAt_;
        Clock::duration pause = factor * took;
        if (const auto sound = voice(spokeIn_).lastSound(); sound && factor > 0) {
            // The quiet after the sound has passed already, and about as much as there was
            // before it will come before the next piece is heard: both are part of the pause.
            const double seconds = factor * sound->audible - sound->quietAfter - sound->quietBefore;
            pause = std::max(Clock::duration::zero(), std::chrono::duration_cast<Clock::duration>(
                                                          std::chrono::duration<double>(seconds)));
        }
        quietUntil_ = now + pause;
        spokeAt_.reset();
    }
    return spokeAt_ ? false : now < quietUntil_;
}

Language ReadingSession::numberLanguage(const ReadingOptions& options) const {
    if (lastLanguage_ && options.voiceOn[*lastLanguage_]) return *lastLanguage_;
    return options.voiceOn[Language::Russian] ? Language::Russian : Language::English;
}

bool ReadingSession::speakOnce() {
    Speaker& own = voice(piece_.language);
    // A sentence waits for its own voice only; a word waits until both are silent.
    const bool busy = pieceSentenceMode_ ? own.speaking() != 0 : speaking();
    if (busy) return false;
    view_.pieceSpoken(piece_);
    ++piece_.repetition;
    own.speak(piece_.speech);
    spokeAt_ = Clock::now();
    spokeIn_ = piece_.language;
    voice(OtherLanguage(piece_.language)).audioReset();
    view_.speakingIn(piece_.language);
    --repeatsLeft_;
    return true;
}

void ReadingSession::hintNext(const ReadingOptions& options) {
    // The piece after this one goes to its voice as a hint, so that an engine that takes long
    // to start a piece may make it while this one sounds. The segmenter is left as it was.
    if (seg_.position >= seg_.readLength) return;
    const Segmenter::State before = seg_.state();
    std::optional<Language> language;
    std::u16string speech;
    if (options.sentenceMode) {
        SentencePiece r = seg_.nextSentence();
        language = r.language;
        speech = std::move(r.speech);
    } else {
        WordPiece r = seg_.nextWord();
        language = r.language;
        speech = std::move(r.speech);
    }
    seg_.restore(before);
    if (language && !speech.empty()) voice(*language).prepare(speech);
}

ReadingSession::Outcome ReadingSession::finishPiece(const ReadingOptions& options) {
    view_.caretMoved();
    if (seg_.position < seg_.readLength) return Outcome::Progress;
    // A whole round that found nothing to speak would only find nothing again, for ever.
    if (options.repeatText && (roundSpoke_ || !roundFromStart_)) {
        view_.placeCaret(0);
        seg_.position = 0;
        roundFromStart_ = true;
        roundSpoke_ = false;
        return Outcome::Progress;
    }
    endAtTextEnd();
    return Outcome::Ended;
}

void ReadingSession::endAtTextEnd() {
    // The last piece is not waited for: it goes on sounding while Say comes up, and its words
    // are still marked as they are heard.
    view_.placeCaret(seg_.readLength);
    view_.readingStopped(ReadingStop::TextEnd);
    SpeechMap last = std::move(piece_.map);
    finish();
    piece_.map = std::move(last);
    trailing_ = !piece_.map.empty();
}

void ReadingSession::stop(ReadingStop why) {
    resetVoices();
    view_.readingStopped(why);
    // Stopped before anything was highlighted: the selection is still the user's, so the
    // next start follows the same rule as this one did.
    paused_ = pieceSelected_ || pausedAtStart_;
    finish();
}

void ReadingSession::finish() {
    showMark(std::nullopt);
    piece_.map.clear();
    running_ = false;
    repeatsLeft_ = 0;
    piece_.speech.clear();
    view_.speakingIn(std::nullopt);
    view_.caretMoved();
}

}  // namespace vernalo
