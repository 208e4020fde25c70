// vernalo-cli say: reads a text the way the Say button does, on the audio device or into one
// WAV file (a listening track).

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <iostream>
#include <memory>
#include <thread>

#include "cli/commands.h"
#include "cli/readingoptions.h"
#include "dict/dictfile.h"
#include "text/textcodec.h"
#include "reading/readingsession.h"
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

// The text of a window nobody sees: the reading goes on until the end of the text.
class HeadlessView : public SessionView {
public:
    HeadlessView(std::u16string text, ReadingOptions options)
        : text_(std::move(text)), options_(options) {}

    std::u16string text() const override { return text_; }
    long selectionStart() const override { return 0; }
    ReadingOptions options() const override { return options_; }
    void showPiece(long start, long length) override {
        if (onPiece) onPiece(start + length, static_cast<long>(text_.size()));
    }

    // Called with the end of each piece and the length of the text.
    std::function<void(long, long)> onPiece;

private:
    std::u16string text_;
    ReadingOptions options_;
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

struct VoiceOptions {
    std::string name;
    int speed = EspeakVoice::kNormalSpeed;
    int repeat = 1;
};

}  // namespace

int Say(const Args& args) {
    ReadingArgs reading;
    PerLanguage<VoiceOptions> voiceOptions;
    std::string wavPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (int taken = reading.Take(args, i)) {
            if (taken == 2) return 2;
            continue;
        }
        const std::string& a = args[i];
        std::string v;
        auto number = [&](int min, int max, int& out) {
            if (!TakeValue(args, i, v) || !ParseNumber(v, min, max, out)) {
                UsageError(a + " takes a number from " + std::to_string(min) + " to " +
                           std::to_string(max) + (v.empty() ? "" : ": '" + v + "'"));
                return false;
            }
            return true;
        };
        bool known = false;
        for (Language l : kLanguages) {
            const std::string suffix = LanguageSuffix(l);
            VoiceOptions& opt = voiceOptions[l];
            if (a == "--repeat-" + suffix) {
                if (!number(ReadingOptions::kMinRepeat, ReadingOptions::kMaxRepeat, opt.repeat))
                    return 2;
            } else if (a == "--speed-" + suffix) {
                if (!number(EspeakVoice::kMinSpeed, EspeakVoice::kMaxSpeed, opt.speed)) return 2;
            } else if (a == "--voice-" + suffix) {
                if (!TakeValue(args, i, opt.name)) return UsageError(a + " needs a speaker name");
            } else {
                continue;
            }
            known = true;
            break;
        }
        if (known) continue;
        if (a == "--wav") {
            if (!TakeValue(args, i, wavPath) || wavPath.empty())
                return UsageError("--wav needs a file");
        } else {
            return UsageError("unknown option '" + a + "'");
        }
    }
    DictionaryStore dicts;
    std::u16string text;
    if (int status = reading.Load(dicts, text)) return status;
    std::string error;

    EspeakEngine& engine = EspeakEngine::Instance();
    if (engine.Modes().empty()) {
        std::cerr << "vernalo-cli: " << engine.Error() << "\n";
        return 1;
    }
    PerLanguage<int> modes{{0, 0}};
    for (Language l : kLanguages) {
        const std::string& name = voiceOptions[l].name;
        if (name.empty()) continue;
        modes[l] = EspeakVoice::FindSpeaker(DecodeBytes(name).text);
        if (modes[l] == 0) return UsageError("no voice '" + name + "' (see vernalo-cli voices)");
    }

    PerLanguage<std::unique_ptr<AudioOutput>> outputs;
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
        for (Language l : kLanguages)
            outputs[l] = std::make_unique<FileShare>(*wav);
    } else {
#ifdef VERNALO_WITH_QT
        app = MakeQtApplication();
        for (Language l : kLanguages) {
            auto device = std::make_unique<QtAudioOutput>();
            if (!device->Start(&error)) {
                std::cerr << "vernalo-cli: " << error << " (--wav FILE writes a file)\n";
                return 1;
            }
            outputs[l] = std::move(device);
        }
#else
        std::cerr << "vernalo-cli: this build has no audio output (--wav FILE writes a file)\n";
        return 1;
#endif
    }

    EspeakVoice voiceRU(std::move(outputs[Language::Russian]));
    EspeakVoice voiceEN(std::move(outputs[Language::English]));
    const PerLanguage<Voice*> voices{{&voiceRU, &voiceEN}};
    ReadingOptions options;
    options.sentenceMode = reading.sentenceMode;
    options.voiceOn = reading.voiceOn;
    for (Language l : kLanguages) {
        Voice& voice = *voices[l];
        int mode = modes[l] == 0 ? FirstModeOf(voice, l) : modes[l];
        voice.Select(mode == 0 ? 1 : mode);
        voice.SetSpeed(voiceOptions[l].speed);
        options.repeats[l] = voiceOptions[l].repeat;
    }

    Segmenter seg(dicts);
    HeadlessView view(std::move(text), options);
    int shownPercent = -1;
    if (wav) {
        view.onPiece = [&shownPercent](long done, long total) {
            const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
            if (percent == shownPercent) return;
            shownPercent = percent;
            std::cerr << "\rvernalo-cli: reading " << percent << "%" << std::flush;
        };
    }

    ReadingSession session(view, voices, seg);
    auto previous = std::signal(SIGINT, OnInterrupt);
    session.sayToggled(true);
    // The voices are polled as the window's timer does; a file is written as fast as the
    // engine goes, so it is polled more often.
    const auto poll = wav ? std::chrono::microseconds(200) : std::chrono::microseconds(2000);
    while ((session.running() || session.speaking()) && !gInterrupted) {
        session.tick();
        std::this_thread::sleep_for(poll);
    }
    std::signal(SIGINT, previous);
    if (shownPercent >= 0) std::cerr << "\n";
    if (gInterrupted) {
        session.close();  // the partial file is removed with its writer
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
