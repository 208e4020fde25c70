#pragma once
// The one place that builds a language's voice: the built-in engine first, then the installed
// engines the program runs itself, then the desktop's speech service's voices where this build has
// the service. The window and vernalo-cli both build theirs here, so the two list the same voices
// in the same order.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "speech/audiooutput.h"
#include "speech/voice.h"
#include "text/language.h"

namespace vernalo {

class DispatcherVoice;
class DrivenVoice;
class EspeakVoice;

struct LanguageVoice {
    std::unique_ptr<Voice> voice;
    // Inside `voice` when it was built here: its engines, for their error reports.
    EspeakVoice* builtIn = nullptr;
    // The installed engines' voices, after the built-in ones; none when nothing is installed.
    DrivenVoice* driven = nullptr;
    DispatcherVoice* service = nullptr;
};

// Both languages' voices, and what keeps them from being heard.
struct VoiceSet {
    PerLanguage<LanguageVoice> languages;
    // No sound device could be opened: the voices speak silently in real time.
    std::string soundProblem;
    // The built-in engine could not start.
    std::string engineProblem;
};

// The built-in engine speaking on `output`, then the voices of the installed engines the
// program runs itself (on the same output), then the service's voices when `withService` and
// this build has the service (their listing goes on in the background).
LanguageVoice BuildVoice(std::unique_ptr<PlaybackOutput> output, bool withService);

// A voice for each language, each on an output of its own from `makeOutput`, which sets its
// error argument when it gives a silent stand-in.
using OutputMaker = std::function<std::unique_ptr<PlaybackOutput>(std::string* error)>;
VoiceSet BuildVoices(const OutputMaker& makeOutput);

// Voices made elsewhere (scripted ones in tests), taken as they are.
VoiceSet GivenVoices(std::unique_ptr<Voice> russian, std::unique_ptr<Voice> english);

// The speech service's listing of its voices, started on first use: true once it has ended.
// A build without the service lists nothing at once, and ServiceError says why.
bool WaitForServiceVoices(std::chrono::milliseconds wait);
// Why the service lists no voices, or empty.
std::string ServiceError();
// Called once the listing ends (on the listing's thread); never in a build without the service.
void WhenServiceVoicesListed(std::function<void()> listed);

}  // namespace vernalo
