#include "speech/servicevoice.h"
#include "speech/speechdclient.h"
#include "speech/voicebuilder.h"

namespace vernalo {

std::unique_ptr<DispatcherVoice> MakeServiceVoice() {
    return std::make_unique<DispatcherVoice>(SpeechdCatalog());
}

bool WaitForServiceVoices(std::chrono::milliseconds wait) {
    return SpeechdCatalog().Wait(wait);
}

std::string ServiceError() {
    return SpeechdCatalog().Error();
}

void WhenServiceVoicesListed(std::function<void()> listed) {
    SpeechdCatalog().OnListed(std::move(listed));
}

}  // namespace vernalo
