#include <chrono>
#include <iostream>
#include <thread>

#include "cli/commands.h"
#include "speech/espeakengine.h"
#include "text/textcodec.h"

#ifdef VERNALO_WITH_QT
#include <QCoreApplication>

#include "speech/qtaudiooutput.h"
#endif

namespace vernalo::cli {

namespace {

bool HasCyrillic(const std::u16string& text) {
    for (char16_t c : text)
        if (c >= 0x0400 && c <= 0x04FF) return true;
    return false;
}

struct SpeakArgs {
    std::string voiceName, wavPath, text;
    int speed = EspeakVoice::kNormalSpeed;
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
            if (!ParseNumber(v, EspeakVoice::kMinSpeed, EspeakVoice::kMaxSpeed, out.speed))
                return UsageError("--speed takes a number from " +
                                  std::to_string(EspeakVoice::kMinSpeed) + " to " +
                                  std::to_string(EspeakVoice::kMaxSpeed) + ": '" + v + "'");
        } else if (a == "--") {
            for (++i; i < args.size(); ++i)
                addWord(args[i]);
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError("unknown option '" + a + "'");
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

    EspeakEngine& engine = EspeakEngine::Instance();
    if (engine.Modes().empty()) {
        std::cerr << "vernalo-cli: " << engine.Error() << "\n";
        return 1;
    }
    int mode = 0;
    if (!voiceName.empty()) {
        mode = EspeakVoice::FindSpeaker(DecodeBytes(voiceName).text);
        if (mode == 0) return UsageError("no voice '" + voiceName + "' (see vernalo-cli voices)");
    }

    bool deviceMissing = false;
    std::unique_ptr<AudioOutput> output;
    WavOutput* wav = nullptr;
#ifdef VERNALO_WITH_QT
    std::unique_ptr<QCoreApplication> app;
#endif
    std::string error;
    if (!wavPath.empty()) {
        auto file = std::make_unique<WavOutput>(wavPath);
        if (!file->Open(&error)) {
            std::cerr << "vernalo-cli: " << error << "\n";
            return 1;
        }
        wav = file.get();
        output = std::move(file);
    } else {
#ifdef VERNALO_WITH_QT
        app = MakeQtApplication();
        output = MakeDeviceOutput(&error);
#else
        error = "this build has no audio output";
        output = std::make_unique<NullOutput>();
#endif
        if (!error.empty()) {
            std::cerr << "vernalo-cli: " << error << "; nothing is heard\n";
            deviceMissing = true;
        }
    }

    EspeakVoice voice(std::move(output));
    if (mode == 0)
        mode = FirstModeOf(voice, HasCyrillic(words) ? Language::Russian : Language::English);
    if (mode == 0) mode = 1;
    voice.Select(mode);
    voice.SetSpeed(speed);
    voice.Speak(words);
    while (voice.Speaking())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));

    if (wav && !wav->Finish(&error)) {
        std::cerr << "vernalo-cli: " << error << "\n";
        return 1;
    }
    return deviceMissing ? 1 : 0;
}

}  // namespace vernalo::cli
