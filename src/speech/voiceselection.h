#pragma once
// Choosing a voice per language: the voice lists filled from the engine modes, the voices and
// speeds restored at start-up, the change handlers of the voice boxes and speed bars.

#include <functional>
#include <string>
#include <vector>

#include "speech/trackbar.h"
#include "speech/voice.h"
#include "text/language.h"

namespace vernalo {

// One language's voice box and its parallel list of mode numbers, filled together once.
struct VoiceList {
    std::vector<std::u16string> names;  // speaker names in mode order, unsorted
    std::vector<int> modes;             // Modes[j] is the mode number of Names[j]
    int selected = -1;                  // index into both; -1 while none is selected

    // The selected speaker name; empty while none is selected.
    std::u16string selectedName() const;
};

struct VoiceStartup {
    // Languages whose restored voice is of an engine the dictionaries are made for.
    PerLanguage<bool> loadDictionary{{false, false}};
    // Whatever went wrong, one line each; start-up shows them together once.
    std::vector<std::string> problems;
};

class VoiceSelection {
public:
    // The bars' change handlers are installed here: they write the position to the voice's
    // Speed and report SettingsChanged.
    VoiceSelection(PerLanguage<Voice*> voices, PerLanguage<TrackBar*> bars);

    // Called whenever something that the settings file saves has changed.
    std::function<void()> settingsChanged;

    // Start-up: fills the lists, restores both voices and speeds from the saved values (speaker
    // names and decimal speeds as the settings file holds them) and tells which dictionaries
    // to load. A saved name that is not installed selects that language's first voice.
    VoiceStartup restore(const PerLanguage<std::u16string>& savedVoices,
                         const PerLanguage<std::string>& savedSpeeds);

    // An engine has found more voices since Restore: the lists are filled anew. Each language
    // keeps its voice, unless its saved voice was missing at start-up, has come now and the
    // user has not picked another since: then that one is restored, with its saved speed.
    void refill();

    // The user picked entry `index` of a language's voice box. An index outside the list
    // changes nothing.
    void change(Language language, int index);

    const VoiceList& list(Language language) const { return lists_[language]; }

private:
    void fill();
    void restoreOne(Language language, const std::u16string& saved, const std::string& speed,
                    VoiceStartup& result);
    void applyRange(Language language);
    bool takesDictionaries(Language language) const;
    void changed() {
        if (settingsChanged) settingsChanged();
    }

    PerLanguage<Voice*> voices_;
    PerLanguage<TrackBar*> bars_;
    PerLanguage<VoiceList> lists_;
    // What Restore was given, for a saved voice that comes late.
    PerLanguage<std::u16string> savedVoices_;
    PerLanguage<std::string> savedSpeeds_;
    PerLanguage<bool> waitingForSaved_{{false, false}};
};

}  // namespace vernalo
