#pragma once
// The voices the commands speak with: the built-in engine's, the installed engines' it runs
// itself, and the speech service's when a command names one of them.

#include <memory>
#include <optional>
#include <string>

#include "speech/audiooutput.h"
#include "speech/driven/drivenmode.h"
#include "speech/voicebuilder.h"

namespace vernalo::cli {

// The built-in voices, followed by the service's when `withService` (their listing waits a
// few seconds at most; a missing service lists none).
LanguageVoice MakeVoice(std::unique_ptr<PlaybackOutput> output, bool withService);

// The mode of `voice` whose speaker is `name`, or 0.
int FindSpeaker(const Voice& voice, const std::u16string& name);

// Whether `mode` can write sound files: a built-in voice or an installed engine's, not the
// speech service's.
bool WritesFiles(const LanguageVoice& voice, int mode);

// The installed engine's voice that `mode` is, if it is one.
std::optional<DrivenMode> DrivenModeOf(const LanguageVoice& voice, int mode);

// Whether the voice named `name` can only be the speech service's: neither the built-in engine
// nor an installed one has it.
bool NeedsService(const std::u16string& name);

// Why the service lists no voices, or empty.
std::string ServiceProblem();

}  // namespace vernalo::cli
