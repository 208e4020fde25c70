#pragma once
// The speech service's voice where this build has the service (servicevoice_speechd.cpp),
// none where it has not (servicevoice_none.cpp): the build picks one of the two files.

#include <memory>

#include "speech/dispatchervoice.h"

namespace vernalo {

// A voice over the service's listed voices, or nullptr without the service.
std::unique_ptr<DispatcherVoice> MakeServiceVoice();

}  // namespace vernalo
