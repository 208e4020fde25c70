// vernalo-cli say: reads a text the way the Say button does, on the audio device or into one
// WAV file (a listening track).

#include <atomic>
#include <charconv>
#include <chrono>
#include <csignal>
#include <functional>
#include <iostream>
#include <memory>
#include <thread>
#include <tuple>

#include "cli/commands.h"
#include "cli/readingoptions.h"
#include "dict/dictfile.h"
#include "documents/textcodec.h"
#include "reading/session.h"
#include "speech/espeakengine.h"

#ifdef VERNALO_WITH_QT
#include <QCoreApplication>

#include "speech/qtaudiooutput.h"
#endif

namespace vernalo::cli {

namespace {

std::atomic<bool> gInterrupted{false};

extern "C" void OnInterrupt(int) {
    gInterrupted = true;
}

// The editor and buttons of a window nobody sees: Say stays down until the end of the text.
class HeadlessView : public SessionView {
public:
    HeadlessView(std::u16string text, bool sentenceMode, int repeatRU, int repeatEN)
        : text_(std::move(text)), sentence_(sentenceMode), repRU_(repeatRU), repEN_(repeatEN) {}

    std::u16string EditorText() const override { return text_; }
    long SelectionStart() const override { return start_; }
    void SetSelection(long start, long length) override {
        start_ = start;
        length_ = length;
        if (OnSelection) OnSelection(start + length, static_cast<long>(text_.size()));
    }
    void SetReadOnly(bool) override {}
    void ScrollSelectionIntoView() override {}
    long CaretColumn() const override { return 0; }
    long CaretLine() const override { return 0; }
    bool SayDown() const override { return sayDown_; }
    void ReleaseSay() override { sayDown_ = false; }
    void SetSayGlyphs(int) override {}
    bool RepeatDown() const override { return false; }
    bool SentenceMode() const override { return sentence_; }
    int RepeatRU() const override { return repRU_; }
    int RepeatEN() const override { return repEN_; }
    void SetStatusText(int, const std::u16string&) override {}

    void PressSay() { sayDown_ = true; }

    // Called with the end of each piece selected and the length of the text.
    std::function<void(long, long)> OnSelection;

private:
    std::u16string text_;
    bool sentence_;
    int repRU_, repEN_;
    long start_ = 0, length_ = 0;
    bool sayDown_ = false;
};

// Both voices write into one file. The file takes the audio as fast as it is made, so a
// voice is busy only while it synthesizes; a reset has nothing left to drop.
class FileShare : public AudioOutput {
public:
    explicit FileShare(AudioOutput& file) : file_(file) {}
    void Write(const std::int16_t* samples, std::size_t count) override {
        file_.Write(samples, count);
    }
    bool Playing() const override { return false; }
    void Reset() override {}

private:
    AudioOutput& file_;
};

bool ParseNumber(const std::string& v, int min, int max, int& out) {
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
    return ec == std::errc() && p == v.data() + v.size() && out >= min && out <= max;
}

int FirstModeOf(const TDirectSS& voice, std::u16string_view language) {
    for (int n = 1; n <= voice.ModeCount(); ++n)
        if (voice.ModeName(n).find(language) != std::u16string::npos) return n;
    return 0;
}

struct VoiceOptions {
    std::string name;
    int speed = TEspeakVoice::kNormalSpeed;
    int repeat = 1;
};

}  // namespace

int Say(const Args& args) {
    ReadingOptions reading;
    VoiceOptions optRU, optEN;
    std::string wavPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (int taken = reading.Take(args, i)) {
            if (taken == 2) return 2;
            continue;
        }
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        auto number = [&](int min, int max, int& out) {
            if (!value(v) || !ParseNumber(v, min, max, out)) {
                UsageError(a + " takes a number from " + std::to_string(min) + " to " +
                           std::to_string(max) + (v.empty() ? "" : ": '" + v + "'"));
                return false;
            }
            return true;
        };
        constexpr int kMinSpeed = TEspeakVoice::kMinSpeed, kMaxSpeed = TEspeakVoice::kMaxSpeed;
        constexpr int kMinRep = TReadingSession::kMinRepeat, kMaxRep = TReadingSession::kMaxRepeat;
        if (a == "--repeat-ru") {
            if (!number(kMinRep, kMaxRep, optRU.repeat)) return 2;
        } else if (a == "--repeat-en") {
            if (!number(kMinRep, kMaxRep, optEN.repeat)) return 2;
        } else if (a == "--speed-ru") {
            if (!number(kMinSpeed, kMaxSpeed, optRU.speed)) return 2;
        } else if (a == "--speed-en") {
            if (!number(kMinSpeed, kMaxSpeed, optEN.speed)) return 2;
        } else if (a == "--voice-ru") {
            if (!value(optRU.name)) return UsageError("--voice-ru needs a speaker name");
        } else if (a == "--voice-en") {
            if (!value(optEN.name)) return UsageError("--voice-en needs a speaker name");
        } else if (a == "--wav") {
            if (!value(wavPath) || wavPath.empty()) return UsageError("--wav needs a file");
        } else {
            return UsageError("unknown option '" + a + "'");
        }
    }
    DictStore dicts;
    std::u16string text;
    if (int status = reading.Load(dicts, text)) return status;
    std::string error;

    EspeakEngine& engine = EspeakEngine::Instance();
    if (engine.Modes().empty()) {
        std::cerr << "vernalo-cli: " << engine.Error() << "\n";
        return 1;
    }
    int modeRU = 0, modeEN = 0;
    for (auto [opt, mode] : {std::pair{&optRU, &modeRU}, {&optEN, &modeEN}}) {
        if (opt->name.empty()) continue;
        *mode = TEspeakVoice::FindSpeaker(DecodeBytes(opt->name).text);
        if (*mode == 0) return UsageError("no voice '" + opt->name + "' (see vernalo-cli voices)");
    }

    std::unique_ptr<AudioOutput> outRU, outEN;
    std::unique_ptr<WavOutput> wav;
#ifdef VERNALO_WITH_QT
    std::unique_ptr<QCoreApplication> app;
#endif
    if (!wavPath.empty()) {
        wav = std::make_unique<WavOutput>(wavPath);
        if (!wav->Open(&error)) {
            std::cerr << "vernalo-cli: " << error << "\n";
            return 1;
        }
        outRU = std::make_unique<FileShare>(*wav);
        outEN = std::make_unique<FileShare>(*wav);
    } else {
#ifdef VERNALO_WITH_QT
        app = MakeQtApplication();
        for (auto* out : {&outRU, &outEN}) {
            auto device = std::make_unique<QtAudioOutput>();
            if (!device->Start(&error)) {
                std::cerr << "vernalo-cli: " << error << " (--wav FILE writes a file)\n";
                return 1;
            }
            *out = std::move(device);
        }
#else
        std::cerr << "vernalo-cli: this build has no audio output (--wav FILE writes a file)\n";
        return 1;
#endif
    }

    TEspeakVoice voiceRU(std::move(outRU)), voiceEN(std::move(outEN));
    for (auto [voice, mode, opt, lang] : {std::tuple{&voiceRU, modeRU, &optRU, u"Russian"},
                                          {&voiceEN, modeEN, &optEN, u"English"}}) {
        if (mode == 0) mode = FirstModeOf(*voice, lang);
        voice->Select(mode == 0 ? 1 : mode);
        voice->SetSpeed(opt->speed);
    }

    Segmenter seg(dicts);
    seg.EnabledRU = [ru = reading.ru] { return ru; };
    seg.EnabledEN = [en = reading.en] { return en; };
    HeadlessView view(std::move(text), reading.sentenceMode, optRU.repeat, optEN.repeat);
    int shownPercent = -1;
    if (wav) {
        view.OnSelection = [&shownPercent](long done, long total) {
            const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
            if (percent == shownPercent) return;
            shownPercent = percent;
            std::cerr << "\rvernalo-cli: reading " << percent << "%" << std::flush;
        };
    }

    TReadingSession session(view, voiceRU, voiceEN, seg);
    auto previous = std::signal(SIGINT, OnInterrupt);
    view.PressSay();
    session.SayClicked(true);
    // The voices are polled as the window's timer does; a file is written as fast as the
    // engine goes, so it is polled more often.
    const auto poll = wav ? std::chrono::microseconds(200) : std::chrono::microseconds(2000);
    auto silent = [&] { return !voiceRU.Speaking() && !voiceEN.Speaking(); };
    while ((session.Running() || !silent()) && !gInterrupted) {
        session.Tick();
        std::this_thread::sleep_for(poll);
    }
    std::signal(SIGINT, previous);
    if (shownPercent >= 0) std::cerr << "\n";
    if (gInterrupted) {
        session.Close();  // the partial file is removed with its writer
        std::cerr << "vernalo-cli: interrupted\n";
        return 1;
    }
    if (wav) {
        if (!wav->Finish(&error)) {
            std::cerr << "vernalo-cli: " << error << "\n";
            return 1;
        }
        if (wav->SamplesWritten() == 0)
            std::cerr << "vernalo-cli: nothing in the text was spoken; '" << wavPath
                      << "' holds no sound\n";
    }
    return 0;
}

}  // namespace vernalo::cli
