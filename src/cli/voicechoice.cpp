#include "cli/voicechoice.h"

#include <chrono>
#include <string>

#include "speech/espeakengine.h"
#ifdef VERNALO_WITH_SPEECHD
#include "speech/speechdclient.h"
#endif

namespace vernalo::cli {

namespace {

#ifdef VERNALO_WITH_SPEECHD
// Long enough for a service that is started on demand.
constexpr std::chrono::milliseconds kListingWait{10000};

// Whether the service has listed its voices; a service too slow for the first wait is not
// waited for again.
bool Listed() {
    static const bool listed = SpeechdCatalog().Wait(kListingWait);
    return listed || SpeechdCatalog().Wait(std::chrono::milliseconds(0));
}
#endif

}  // namespace

std::unique_ptr<CombinedVoice> MakeVoice(std::unique_ptr<AudioOutput> output, bool withService) {
    std::vector<std::unique_ptr<Voice>> engines;
    engines.push_back(std::make_unique<EspeakVoice>(std::move(output)));
#ifdef VERNALO_WITH_SPEECHD
    if (withService) {
        Listed();
        engines.push_back(std::make_unique<DispatcherVoice>(SpeechdCatalog()));
    }
#else
    (void)withService;
#endif
    return std::make_unique<CombinedVoice>(std::move(engines));
}

int FindSpeaker(const Voice& voice, const std::u16string& name) {
    for (int n = 1; n <= voice.ModeCount(); ++n)
        if (voice.Speaker(n) == name) return n;
    return 0;
}

bool WritesFiles(CombinedVoice& voice, int mode) {
    return voice.EngineOf(mode) == &voice.Engine(0);
}

std::string ServiceProblem() {
#ifdef VERNALO_WITH_SPEECHD
    if (!Listed())
        return "it did not list its voices within " + std::to_string(kListingWait.count()) + " ms";
    return SpeechdCatalog().Error();
#else
    return "this build has no speech-dispatcher support";
#endif
}

}  // namespace vernalo::cli
