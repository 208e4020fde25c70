#include "cli/voicechoice.h"

#include <chrono>
#include <string>

#include "speech/driven/drivenvoice.h"
#include "speech/espeakvoice.h"

namespace vernalo::cli {

namespace {

// Long enough for a service that is started on demand.
constexpr std::chrono::milliseconds kListingWait{10000};

// Whether the service has listed its voices; a service too slow for the first wait is not
// waited for again.
bool Listed() {
    static const bool listed = WaitForServiceVoices(kListingWait);
    return listed || WaitForServiceVoices(std::chrono::milliseconds(0));
}

}  // namespace

LanguageVoice MakeVoice(std::unique_ptr<PlaybackOutput> output, bool withService) {
    if (withService) Listed();
    return BuildVoice(std::move(output), withService);
}

int FindSpeaker(const Voice& voice, const std::u16string& name) {
    for (int n = 1; n <= voice.modeCount(); ++n)
        if (voice.speaker(n) == name) return n;
    return 0;
}

bool WritesFiles(const LanguageVoice& voice, int mode) {
    // The built-in engine's modes come first, the installed engines' next.
    const int driven = voice.driven ? voice.driven->modeCount() : 0;
    return mode >= 1 && mode <= voice.builtIn->modeCount() + driven;
}

std::optional<DrivenMode> DrivenModeOf(const LanguageVoice& voice, int mode) {
    const int local = mode - voice.builtIn->modeCount();
    if (!voice.driven || local < 1 || local > voice.driven->modeCount()) return std::nullopt;
    return voice.driven->mode(local);
}

bool NeedsService(const std::u16string& name) {
    if (EspeakVoice::findSpeaker(name) != 0) return false;
    for (const DrivenMode& m : InstalledDrivenModes())
        if (m.speaker == name) return false;
    return true;
}

std::string ServiceProblem() {
    if (!Listed())
        return "it did not list its voices within " + std::to_string(kListingWait.count()) + " ms";
    return ServiceError();
}

}  // namespace vernalo::cli
