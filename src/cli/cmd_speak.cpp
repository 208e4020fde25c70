#include <charconv>
#include <chrono>
#include <iostream>
#include <thread>

#include "cli/commands.h"
#include "documents/textcodec.h"
#include "speech/espeakengine.h"

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

// The first mode whose name holds `language`, or 0.
int FirstModeOf(const TDirectSS& voice, std::u16string_view language) {
    for (int n = 1; n <= voice.ModeCount(); ++n)
        if (voice.ModeName(n).find(language) != std::u16string::npos) return n;
    return 0;
}

}  // namespace

int Speak(const Args& args) {
    std::string voiceName, wavPath, text;
    int speed = TEspeakVoice::kNormalSpeed;
    bool haveText = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        if (a == "--voice") {
            if (!value(voiceName)) return UsageError("--voice needs a speaker name");
        } else if (a == "--wav") {
            if (!value(wavPath) || wavPath.empty()) return UsageError("--wav needs a file");
        } else if (a == "--speed") {
            std::string v;
            if (!value(v)) return UsageError("--speed needs a number");
            auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), speed);
            if (ec != std::errc() || p != v.data() + v.size() || speed < TEspeakVoice::kMinSpeed ||
                speed > TEspeakVoice::kMaxSpeed)
                return UsageError("--speed takes a number from " +
                                  std::to_string(TEspeakVoice::kMinSpeed) + " to " +
                                  std::to_string(TEspeakVoice::kMaxSpeed) + ": '" + v + "'");
        } else if (a == "--") {
            for (++i; i < args.size(); ++i)
                text += (haveText ? " " : "") + args[i], haveText = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError("unknown option '" + a + "'");
        } else {
            text += (haveText ? " " : "") + a;
            haveText = true;
        }
    }
    if (!haveText || text.empty()) return UsageError("speak needs a text");
    const std::u16string words = DecodeBytes(text).text;

    EspeakEngine& engine = EspeakEngine::Instance();
    if (engine.Modes().empty()) {
        std::cerr << "vernalo-cli: " << engine.Error() << "\n";
        return 1;
    }
    int mode = 0;
    if (!voiceName.empty()) {
        mode = TEspeakVoice::FindSpeaker(DecodeBytes(voiceName).text);
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

    TEspeakVoice voice(std::move(output));
    if (mode == 0) mode = FirstModeOf(voice, HasCyrillic(words) ? u"Russian" : u"English");
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
