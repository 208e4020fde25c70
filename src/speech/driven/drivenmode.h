#pragma once
// Voices of speech engines installed beside the program, which it runs itself as helper
// programs: what one voice is, and the engine that speaks it.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "speech/driven/pcm.h"

namespace vernalo {

// One running (or ready to run) engine for one voice.
class Synthesizer {
public:
    using Deadline = std::chrono::steady_clock::time_point;
    virtual ~Synthesizer() = default;
    // The sound of `utf8` at `speed` percent of the voice's normal rate, or false with the
    // reason. An engine that has given nothing by `deadline` counts as hung.
    virtual bool synthesize(const std::string& utf8, int speed, Pcm* pcm, std::string* error,
                            Deadline deadline) = 0;
    // The engine process kept between pieces, 0 when none runs now.
    virtual pid_t pid() const { return 0; }
    // The engine keeps its voice loaded between pieces: its first piece takes the load time.
    virtual bool loadsOnce() const { return false; }
    // Ends a Synthesize running on another thread at once (it then fails).
    virtual void interrupt() = 0;
};

struct DrivenMode {
    std::u16string name;     // "Russian (Festival: msu_ru_nsh)": carries the language's word
    std::u16string speaker;  // unique among all voices: saved in the settings
    std::u16string product;  // the engine, as the voice lists show it
    std::string engine;      // "festival", "piper", "rhvoice", "command"
    // Makes the engine; nothing starts before its first piece.
    std::function<std::unique_ptr<Synthesizer>()> make;
};

// The voices of the engines found on this machine, Russian and English ones only, found by
// their files alone: no engine starts. Looked for once per process; `problems` gets what is
// wrong in the user's voices file (file, line and why).
const std::vector<DrivenMode>& InstalledDrivenModes(std::vector<std::string>* problems = nullptr);

// The families, each found by its own rules (festivalvoices.cpp, pipervoices.cpp, ...).
std::vector<DrivenMode> FestivalModes();
std::vector<DrivenMode> PiperModes();
std::vector<DrivenMode> RhvoiceModes();
std::vector<DrivenMode> CommandModes(const std::string& voicesFile,
                                     std::vector<std::string>* problems);

// The full path of `program` on PATH, or empty.
std::string FindProgram(const std::string& program);
// The folder Vernalo keeps its data in: ./data when it exists, else ~/.local/share/vernalo.
std::string DataFolder();
// "Russian" or "English" for a language code ("ru", "en_US", "en-GB"), else empty.
std::string LanguageWordOf(const std::string& code);

}  // namespace vernalo
