#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>

#include "cli/commands.h"
#include "cli/voicechoice.h"
#include "export/audiofile.h"
#include "speech/dispatchervoice.h"
#include "speech/driven/drivenvoice.h"
#include "speech/espeakengine.h"
#include "speech/sounddevice.h"
#include "text/textcodec.h"

namespace vernalo::cli {

namespace {

// The file takes the sound as a device would, in real time: the command ends when what it
// spoke has been heard, whether it went to the device or to a file.
class PacedFile : public NullOutput {
public:
    explicit PacedFile(AudioFileSet& file) : file_(file) {}
    void write(const std::int16_t* samples, std::size_t count) override {
        NullOutput::write(samples, count);
        file_.write(samples, count);
    }

private:
    AudioFileSet& file_;
};

bool HasCyrillic(const std::u16string& text) {
    for (char16_t c : text)
        if (c >= 0x0400 && c <= 0x04FF) return true;
    return false;
}

struct SpeakArgs {
    std::string voiceName, wavPath, text;
    int speed = kNormalSpeed;
    bool haveText = false;
};

int ParseSpeakArgs(const Args& args, SpeakArgs& out) {
    auto addWord = [&out](const std::string& word) {
        out.text += (out.haveText ? " " : "") + word;
        out.haveText = true;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string v;
        if (a == "--voice") {
            if (!TakeValue(args, i, out.voiceName))
                return UsageError("--voice needs a speaker name");
        } else if (a == "--wav") {
            if (!TakeValue(args, i, out.wavPath) || out.wavPath.empty())
                return UsageError("--wav needs a file");
        } else if (a == "--speed") {
            if (!TakeValue(args, i, v)) return UsageError("--speed needs a number");
            if (!ParseNumber(v, kMinSpeed, kMaxSpeed, out.speed))
                return UsageError("--speed takes a number from " + std::to_string(kMinSpeed) +
                                  " to " + std::to_string(kMaxSpeed) + ": '" + v + "'");
        } else if (a == "--") {
            for (++i; i < args.size(); ++i)
                addWord(args[i]);
        } else if (a.size() > 1 && a[0] == '-') {
            return UnknownOption(a);
        } else {
            addWord(a);
        }
    }
    return 0;
}

}  // namespace

int Speak(const Args& args) {
    SpeakArgs parsed;
    if (int status = ParseSpeakArgs(args, parsed)) return status;
    const std::string& voiceName = parsed.voiceName;
    const std::string& wavPath = parsed.wavPath;
    const std::string& text = parsed.text;
    const int speed = parsed.speed;
    const bool haveText = parsed.haveText;
    if (!haveText || text.empty()) return UsageError("speak needs a text");
    const std::u16string words = DecodeBytes(text).text;

    EspeakEngine& engine = EspeakEngine::instance();
    if (engine.modes().empty()) {
        std::cerr << "vernalo-cli: " << engine.error() << "\n";
        return 1;
    }
    const std::u16string speaker = DecodeBytes(voiceName).text;
    // The service is asked only for a voice no engine of the program's own has.
    const bool withService = !voiceName.empty() && NeedsService(speaker);

    bool deviceMissing = false;
    std::unique_ptr<PlaybackOutput> output;
    std::unique_ptr<AudioFileSet> wav;
    std::unique_ptr<SoundDeviceHost> device;
    std::string error;
    if (!wavPath.empty()) {
        wav =
            std::make_unique<AudioFileSet>(wavPath, *FormatForSuffix("wav"), std::string(), false);
        if (!wav->open(&error)) {
            std::cerr << "vernalo-cli: " << error << "\n";
            return 1;
        }
        output = std::make_unique<PacedFile>(*wav);
    } else if (withService) {
        // The service plays on the desktop's sound device itself.
        output = std::make_unique<NullOutput>();
    } else {
        device = std::make_unique<SoundDeviceHost>();
        output = MakeDeviceOutput(&error);
        if (!error.empty()) {
            std::cerr << "vernalo-cli: " << error << "; nothing is heard\n";
            deviceMissing = true;
        }
    }

    LanguageVoice built = MakeVoice(std::move(output), withService);
    Voice* voice = built.voice.get();
    const Language language = HasCyrillic(words) ? Language::Russian : Language::English;
    int mode = 0;
    if (!voiceName.empty()) {
        mode = FindSpeaker(*voice, speaker);
        if (mode == 0) {
            std::string why;
            if (withService && !ServiceProblem().empty())
                why = "; speech-dispatcher lists nothing: " + ServiceProblem();
            return UsageError("no voice '" + voiceName + "' (see vernalo-cli voices)" + why);
        }
        if (wav && !WritesFiles(built, mode)) {
            const int builtIn = FirstModeOf(*voice, language);
            std::cerr << "vernalo-cli: '" << voiceName
                      << "' is a speech-dispatcher voice, which cannot write files; "
                      << Utf16ToUtf8(voice->speaker(builtIn)) << " speaks instead\n";
            mode = builtIn;
        }
    }
    if (mode == 0) mode = FirstModeOf(*voice, language);
    if (mode == 0) mode = 1;
    voice->select(mode);
    voice->setSpeed(speed);
    // A voice that cannot speak says so once and leaves Speaking at 0.
    std::string failure;
    std::atomic<bool> failed{false};
    const auto onError = [&failure, &failed](const std::string& message) {
        failure = message;
        failed = true;
    };
    if (!WritesFiles(built, mode)) built.service->onError = onError;
    if (built.driven) built.driven->onError = onError;
    voice->speak(words);
    while (voice->speaking())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (failed) {
        std::cerr << "vernalo-cli: " << failure << "\n";
        return 1;
    }

    if (wav && !wav->finish(&error)) {
        std::cerr << "vernalo-cli: " << error << "\n";
        return 1;
    }
    return deviceMissing ? 1 : 0;
}

}  // namespace vernalo::cli
