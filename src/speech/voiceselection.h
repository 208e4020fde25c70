#pragma once
// Choosing a voice per language: the voice lists filled from the engine modes, the voices and
// speeds restored at start-up, the change handlers of the voice boxes and speed bars.

#include <functional>
#include <string>
#include <vector>

#include "speech/synthesizer.h"
#include "speech/trackbar.h"

namespace vernalo {

// One language's voice box and its parallel list of mode numbers, filled together once.
struct VoiceList {
    std::vector<std::u16string> Names;  // speaker names in mode order, unsorted
    std::vector<int> Modes;             // Modes[j] is the mode number of Names[j]
    int Selected = -1;                  // index into both; -1 while none is selected

    // The selected speaker name; empty while none is selected.
    std::u16string SelectedName() const;
};

struct VoiceStartup {
    // Languages whose restored voice is of the engine family the dictionaries are made for.
    bool LoadDictRU = false;
    bool LoadDictEN = false;
    // Whatever went wrong, one line each; start-up shows them together once.
    std::vector<std::string> Problems;
    bool Problem() const { return !Problems.empty(); }
};

class VoiceSelection {
public:
    // The bars' change handlers are installed here: they write the position to the voice's
    // Speed and report SettingsChanged.
    VoiceSelection(TDirectSS& ru, TDirectSS& en, TrackBar& barRU, TrackBar& barEN);

    // Called whenever something that the settings file saves has changed.
    std::function<void()> SettingsChanged;

    // Start-up: fills the lists, restores both voices and speeds from the saved values (speaker
    // names and decimal speeds as the settings file holds them) and tells which dictionaries
    // to load. A saved name that is not installed selects that language's first voice.
    VoiceStartup Restore(const std::u16string& savedRU, const std::u16string& savedEN,
                         const std::string& speedRU, const std::string& speedEN);

    // The user picked entry `index` of a voice box. An index outside the list changes nothing.
    void ChangeRU(int index);
    void ChangeEN(int index);

    const VoiceList& ListRU() const { return listRU_; }
    const VoiceList& ListEN() const { return listEN_; }

private:
    struct Language {
        TDirectSS* voice;
        TrackBar* bar;
        VoiceList* list;
        const char* name;
    };
    void Fill();
    void RestoreOne(const Language& lang, const std::u16string& saved, const std::string& speed,
                    bool voiceTakesSavedSpeed, VoiceStartup& result);
    void Change(const Language& lang, int index);
    void ApplyRange(const Language& lang);
    bool IsDigalo(const Language& lang) const;
    void Changed() {
        if (SettingsChanged) SettingsChanged();
    }

    TDirectSS& ru_;
    TDirectSS& en_;
    TrackBar& barRU_;
    TrackBar& barEN_;
    VoiceList listRU_;
    VoiceList listEN_;
};

}  // namespace vernalo
