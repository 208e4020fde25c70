#pragma once
// The voices the commands speak with: the built-in engine's, and the speech service's when a
// command names one of them.

#include <memory>
#include <string>

#include "speech/audiooutput.h"
#include "speech/voicebuilder.h"

namespace vernalo::cli {

// The built-in voices, followed by the service's when `withService` (their listing waits a
// few seconds at most; a missing service lists none).
LanguageVoice MakeVoice(std::unique_ptr<AudioOutput> output, bool withService);

// The mode of `voice` whose speaker is `name`, or 0.
int FindSpeaker(const Voice& voice, const std::u16string& name);

// Whether `mode` is a built-in voice, the only kind that can write sound files.
bool WritesFiles(const LanguageVoice& voice, int mode);

// Why the service lists no voices, or empty.
std::string ServiceProblem();

}  // namespace vernalo::cli
