#include "speech/servicevoice.h"
#include "speech/speechdclient.h"
#include "speech/voicebuilder.h"

namespace vernalo {

std::unique_ptr<DispatcherVoice> MakeServiceVoice() {
    return std::make_unique<DispatcherVoice>(SpeechdCatalog());
}

bool WaitForServiceVoices(std::chrono::milliseconds wait) {
    return SpeechdCatalog().wait(wait);
}

std::string ServiceError() {
    return SpeechdCatalog().error();
}

void WhenServiceVoicesListed(std::function<void()> listed) {
    SpeechdCatalog().onListed(std::move(listed));
}

}  // namespace vernalo
