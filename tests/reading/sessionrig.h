#pragma once
// A reading session with scripted voices and a recording owner, turned by hand.

#include <gtest/gtest.h>

#include "reading/readingsession.h"
#include "speech/voice.h"

#include <algorithm>
#include <string>
#include <vector>

#include "support/casename.h"
#include "text/textcodec.h"

namespace vernalo {

inline void PrintTo(const std::u16string& s, std::ostream* os) {
    *os << '"' << Utf16ToUtf8(s) << '"';
}

namespace {

constexpr int kForever = -1;

struct Voices;

// A voice that speaks for a scripted number of event-loop turns and logs every call.
class FakeVoice : public Voice {
public:
    FakeVoice(const char* name, Voices& all) : name_(name), all_(all) {}

    int modeCount() const override { return 1; }
    std::u16string modeName(int) const override { return u"Fake"; }
    std::u16string speaker(int) const override { return u"Fake"; }
    std::u16string productName(int) const override { return u"Fake"; }
    void select(int) override {}
    int speed() const override { return 100; }
    void setSpeed(int) override {}
    int minSpeed() const override { return 50; }
    int maxSpeed() const override { return 200; }

    void speak(const std::u16string& text) override;
    int speaking() const override { return remaining != 0; }
    void audioReset() override;
    // With word events: the text's words (cut at blanks) are heard one per turn, and the
    // voice speaks for as many turns as there are words.
    void prepare(const std::u16string& text) override { prepared.push_back(Utf16ToUtf8(text)); }
    std::optional<WordSpan> heardWord() const override {
        if (!wordEvents || remaining <= 0) return std::nullopt;
        const std::size_t at = words_.size() - static_cast<std::size_t>(remaining);
        return words_[std::min(at, words_.size() - 1)];
    }

    void advance() {
        if (remaining > 0) --remaining;
    }

    int duration = 2;   // turns a Speak keeps the voice busy; kForever: until reset
    int remaining = 0;  // turns left of the current speech
    bool wordEvents = false;
    std::vector<std::string> prepared;  // every hint given to Prepare

private:
    std::vector<WordSpan> words_;
    std::string name_;
    Voices& all_;
};

struct Voices {
    std::vector<std::string> log;   // "EN speak one ", "RU reset", in call order
    std::vector<bool> busyAtSpeak;  // was any voice speaking when a Speak came
    FakeVoice ru{"RU", *this};
    FakeVoice en{"EN", *this};

    void advance() {
        ru.advance();
        en.advance();
    }
    // "RU 30." for each Speak, with the voice that spoke.
    std::vector<std::string> spokenBy() const {
        std::vector<std::string> out;
        for (const auto& l : log)
            if (l.compare(3, 6, "speak ") == 0) out.push_back(l.substr(0, 3) + l.substr(9));
        return out;
    }
    std::vector<std::string> spoken() const {
        std::vector<std::string> out;
        for (const auto& l : log)
            if (l.compare(3, 6, "speak ") == 0) out.push_back(l.substr(9));
        return out;
    }
};

void FakeVoice::speak(const std::u16string& text) {
    all_.busyAtSpeak.push_back(all_.ru.remaining != 0 || all_.en.remaining != 0);
    all_.log.push_back(name_ + " speak " + Utf16ToUtf8(text));
    remaining = duration;
    if (!wordEvents) return;
    words_.clear();
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t end = std::min(text.find(u' ', i), text.size());
        if (end > i) words_.push_back({static_cast<long>(i), static_cast<long>(end - i)});
        i = end + 1;
    }
    if (words_.empty()) words_.push_back({0, 0});
    remaining = static_cast<int>(words_.size());
}

void FakeVoice::audioReset() {
    all_.log.push_back(name_ + " reset");
    remaining = 0;
}

// Records what the session tells its owner, and shows it as the window's status bar would.
class FakeView : public SessionView {
public:
    std::u16string text() const override {
        ++textReads;
        return editorText;
    }
    long selectionStart() const override { return selStart; }
    ReadingOptions options() const override {
        ReadingOptions o;
        o.sentenceMode = sentenceMode;
        o.repeatText = repeatDown;
        o.repeats = {{repRU, repEN}};
        o.voiceOn = {{ruOn, enOn}};
        o.markWord = markWordOn;
        return o;
    }
    bool readingRequested() const override { return sayDown; }
    bool browserPageShown() const override { return browserActive; }
    void importBrowserPage() override {
        editorText = browserText;
        ++imports;
        importedBeforeRead = textReads == 0;
    }

    void readingStarted() override {
        readOnly = true;
        reading = true;
    }
    void showPiece(long start, long length) override {
        select(start, length);
        scrolledTo.emplace_back(selStart, selLength);
    }
    void markWord(std::optional<TextSpan> word) override {
        marks.push_back(
            !word ? "-"
                  : Utf16ToUtf8(editorText.substr(static_cast<std::size_t>(word->start),
                                                  static_cast<std::size_t>(word->length))));
    }
    void placeCaret(long position) override { select(position, 0); }
    // "5+4 EN #1 911! @3": span, voice, repetition, speech, and how many Speaks came before.
    void pieceSpoken(const SpokenPiece& piece) override {
        told.push_back(std::to_string(piece.start) + "+" + std::to_string(piece.length) +
                       (piece.language == Language::Russian ? " RU #" : " EN #") +
                       std::to_string(piece.repetition) + " " + Utf16ToUtf8(piece.speech) + " @" +
                       std::to_string(speaks ? speaks->spoken().size() : 0));
    }
    void speakingIn(std::optional<Language> language) override {
        const char* t = !language                        ? " "
                        : *language == Language::Russian ? " - Russian - "
                                                         : " - English - ";
        panel3History.push_back(t);
    }
    void caretMoved() override {
        const long caret = selStart + selLength;
        const auto nl = editorText.rfind(u'\n', caret == 0 ? 0 : caret - 1);
        column =
            nl == std::u16string::npos || caret == 0 ? caret : caret - static_cast<long>(nl) - 1;
        line = static_cast<long>(std::count(editorText.begin(), editorText.begin() + caret, u'\n'));
    }
    void readingStopped(ReadingStop why) override {
        readOnly = false;
        reading = false;
        if (why != ReadingStop::Paused) {
            sayDown = false;
            ++releases;
        }
    }

    std::string panel3() const { return panel3History.empty() ? "" : panel3History.back(); }

    std::u16string editorText;
    long selStart = 0, selLength = 0;
    bool readOnly = false, sayDown = false, repeatDown = false, reading = false;
    int releases = 0;
    bool sentenceMode = false;
    int repRU = 1, repEN = 1;
    bool ruOn = true, enOn = true;
    bool markWordOn = true;
    std::vector<std::string> marks;  // the text under each word mark shown, "-" for none
    std::vector<std::string> told;   // each piece told as spoken
    const Voices* speaks = nullptr;
    long column = 0, line = 0;
    std::vector<std::string> panel3History;
    std::vector<std::pair<long, long>> selections, scrolledTo;
    bool browserActive = false, importedBeforeRead = false;
    std::u16string browserText;
    int imports = 0;
    mutable int textReads = 0;

private:
    void select(long start, long length) {
        const long size = static_cast<long>(editorText.size());
        selStart = std::clamp(start, 0L, size);
        selLength = std::clamp(length, 0L, size - selStart);
        selections.emplace_back(start, length);
    }
};

// The window, its voices and the session, with the event loop turned by hand.
struct Rig {
    FakeView view;
    Voices voices;
    DictionaryStore dicts;
    Segmenter seg{dicts};
    ReadingSession session{view, {{&voices.ru, &voices.en}}, seg};

    explicit Rig(std::u16string text, bool sentenceMode = false) {
        view.speaks = &voices;
        view.editorText = std::move(text);
        view.sentenceMode = sentenceMode;
    }
    void press() {
        view.sayDown = true;
        session.sayToggled(true);
    }
    void release() {
        view.sayDown = false;
        session.sayToggled(false);
    }
    // One turn of the event loop: time passes for the voices, then the session polls.
    void turn() {
        voices.advance();
        session.tick();
    }
    void runToEnd() {
        for (int i = 0; i < 10000 && session.running(); ++i)
            turn();
        ASSERT_FALSE(session.running()) << "the session never ended";
    }
    // Turns until `n` Speak calls have been made in all.
    void runUntilSpoken(std::size_t n) {
        for (int i = 0; i < 10000 && voices.spoken().size() < n; ++i)
            turn();
        ASSERT_EQ(voices.spoken().size(), n);
    }
    std::pair<long, long> selection() const { return {view.selStart, view.selLength}; }
};

using Strings = std::vector<std::string>;

}  // namespace
}  // namespace vernalo
