#include <iostream>

#include "cli/commands.h"
#include "cli/voicechoice.h"
#include "speech/driven/drivenvoice.h"
#include "speech/espeakengine.h"
#include "text/textcodec.h"

namespace vernalo::cli {

int Voices(const Args& args) {
    if (!args.empty()) return UsageError("voices takes no arguments");
    EspeakEngine& engine = EspeakEngine::instance();
    if (engine.modes().empty()) {
        std::cerr << "vernalo-cli: " << engine.error() << "\n";
        return 1;
    }
    LanguageVoice built = MakeVoice(std::make_unique<NullOutput>(), true);
    Voice* voice = built.voice.get();
    for (int n = 1; n <= voice->modeCount(); ++n) {
        voice->select(n);
        const bool writes = WritesFiles(built, n);
        const auto driven = DrivenModeOf(built, n);
        const std::string engineKind = driven   ? driven->engine
                                       : writes ? "built-in"
                                                : "speech-dispatcher";
        std::cout << n << "\t" << Utf16ToUtf8(voice->modeName(n)) << "\t"
                  << Utf16ToUtf8(voice->speaker(n)) << "\t" << Utf16ToUtf8(voice->productName(n))
                  << "\t" << voice->minSpeed() << "-" << voice->maxSpeed() << "\t" << voice->speed()
                  << "\t" << engineKind << "\t" << (writes ? "writes files" : "sound only") << "\n";
    }
    std::vector<std::string> problems;
    InstalledDrivenModes(&problems);
    for (const std::string& p : problems)
        std::cerr << "vernalo-cli: " << p << "\n";
    // Not an error: the built-in voices are all there is then.
    const std::string problem = ServiceProblem();
    if (!problem.empty())
        std::cerr << "vernalo-cli: no speech-dispatcher voices: " << problem << "\n";
    return 0;
}

}  // namespace vernalo::cli
