#include "speech/voicebuilder.h"

#include <vector>

#include "speech/combinedvoice.h"
#include "speech/dispatchervoice.h"
#include "speech/driven/drivenvoice.h"
#include "speech/espeakengine.h"
#include "speech/espeakvoice.h"
#include "speech/servicevoice.h"

namespace vernalo {

LanguageVoice BuildVoice(std::unique_ptr<PlaybackOutput> output, bool withService) {
    LanguageVoice built;
    std::vector<std::unique_ptr<Voice>> engines;
    auto builtIn = std::make_unique<EspeakVoice>(std::move(output));
    built.builtIn = builtIn.get();
    EspeakVoice* speaksOn = built.builtIn;
    engines.push_back(std::move(builtIn));
    if (const auto& modes = InstalledDrivenModes(); !modes.empty()) {
        auto driven = std::make_unique<DrivenVoice>(
            modes, [speaksOn]() -> PlaybackOutput& { return speaksOn->sharedOutput(); });
        built.driven = driven.get();
        engines.push_back(std::move(driven));
    }
    if (withService) {
        if (auto service = MakeServiceVoice()) {
            built.service = service.get();
            engines.push_back(std::move(service));
        }
    }
    built.voice = std::make_unique<CombinedVoice>(std::move(engines));
    return built;
}

VoiceSet BuildVoices(const OutputMaker& makeOutput) {
    VoiceSet set;
    for (Language l : kLanguages) {
        std::string error;
        auto output = makeOutput(&error);
        if (set.soundProblem.empty()) set.soundProblem = error;
        set.languages[l] = BuildVoice(std::move(output), true);
    }
    set.engineProblem = EspeakEngine::instance().error();
    return set;
}

VoiceSet GivenVoices(std::unique_ptr<Voice> russian, std::unique_ptr<Voice> english) {
    VoiceSet set;
    set.languages[Language::Russian].voice = std::move(russian);
    set.languages[Language::English].voice = std::move(english);
    return set;
}

}  // namespace vernalo
