#pragma once
// The connection to speech-dispatcher through its C client library.

#include <memory>

#include "speech/dispatchervoice.h"

namespace vernalo {

std::unique_ptr<DispatcherClient> MakeSpeechdClient();

// The process's listing of the service's voices, started on first use.
DispatcherCatalog& SpeechdCatalog();

}  // namespace vernalo
