#include <iostream>

#include "cli/commands.h"
#include "speech/espeakengine.h"
#include "text/textcodec.h"

namespace vernalo::cli {

int Voices(const Args& args) {
    if (!args.empty()) return UsageError("voices takes no arguments");
    EspeakEngine& engine = EspeakEngine::Instance();
    if (engine.Modes().empty()) {
        std::cerr << "vernalo-cli: " << engine.Error() << "\n";
        return 1;
    }
    EspeakVoice voice(std::make_unique<NullOutput>());
    for (int n = 1; n <= voice.ModeCount(); ++n) {
        voice.Select(n);
        std::cout << n << "\t" << Utf16ToUtf8(voice.ModeName(n)) << "\t"
                  << Utf16ToUtf8(voice.Speaker(n)) << "\t" << Utf16ToUtf8(voice.ProductName(n))
                  << "\t" << voice.MinSpeed() << "-" << voice.MaxSpeed() << "\t" << voice.Speed()
                  << "\n";
    }
    return 0;
}

}  // namespace vernalo::cli
