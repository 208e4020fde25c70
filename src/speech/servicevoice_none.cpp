#include "speech/servicevoice.h"
#include "speech/voicebuilder.h"

namespace vernalo {

std::unique_ptr<DispatcherVoice> MakeServiceVoice() {
    return nullptr;
}

// Nothing to wait for: the listing is over, and lists nothing.
bool WaitForServiceVoices(std::chrono::milliseconds) {
    return true;
}

std::string ServiceError() {
    return "this build has no speech-dispatcher support";
}

void WhenServiceVoicesListed(std::function<void()>) {}

}  // namespace vernalo
