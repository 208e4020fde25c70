#include "speech/voiceselection.h"

#include <algorithm>
#include <charconv>

namespace vernalo {

namespace {

bool Contains(const std::u16string& text, std::u16string_view word) {
    return text.find(word) != std::u16string::npos;
}

// A decimal integer, optionally signed, and nothing else.
bool ParseSpeed(const std::string& text, int& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    auto [p, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && p == last && first != last;
}

}  // namespace

std::u16string VoiceList::SelectedName() const {
    if (Selected < 0 || Selected >= static_cast<int>(Names.size())) return {};
    return Names[Selected];
}

VoiceSelection::VoiceSelection(PerLanguage<Voice*> voices, PerLanguage<TrackBar*> bars)
    : voices_(voices), bars_(bars) {
    for (Language l : kLanguages) {
        bars_[l]->OnChange = [this, l] {
            voices_[l]->SetSpeed(bars_[l]->Position());
            Changed();
        };
    }
}

void VoiceSelection::Fill() {
    lists_ = {};
    // Both controls list the same modes; ModeCount is read again for every mode, as an engine
    // may still be finding its voices.
    Voice& first = *voices_[Language::Russian];
    for (int n = 1; n <= first.ModeCount(); ++n) {
        for (Language l : kLanguages) {
            Voice& voice = *voices_[l];
            if (n > voice.ModeCount()) continue;
            const std::u16string name = voice.ModeName(n);
            const std::string word = languageName(l);
            if (!Contains(name, std::u16string(word.begin(), word.end()))) continue;
            lists_[l].Names.push_back(voice.Speaker(n));
            lists_[l].Modes.push_back(n);
        }
    }
}

void VoiceSelection::ApplyRange(Language l) {
    bars_[l]->SetMax(voices_[l]->MaxSpeed());
    bars_[l]->SetMin(voices_[l]->MinSpeed());
}

void VoiceSelection::RestoreOne(Language l, const std::u16string& saved, const std::string& speed,
                                VoiceStartup& result) {
    VoiceList& list = lists_[l];
    Voice& voice = *voices_[l];
    TrackBar& bar = *bars_[l];
    const std::string name = languageName(l);
    if (list.Names.empty()) {
        result.Problems.push_back("no " + name + " voice is installed");
        return;
    }
    int savedSpeed = 0;
    const bool speedOk = ParseSpeed(speed, savedSpeed);
    if (!speedOk) {
        result.Problems.push_back("the saved " + name + " speed '" + speed +
                                  "' is not a number; the voice's own speed is used");
    }
    // The English voice's Speed follows the bar alone, and only when the bar moves.
    const bool voiceTakesSavedSpeed = l == Language::Russian;
    for (std::size_t j = 0; j < list.Names.size(); ++j) {
        if (list.Names[j] == saved) {
            voice.Select(list.Modes[j]);
            list.Selected = static_cast<int>(j);
        }
        ApplyRange(l);
        if (list.Selected >= 0 && list.SelectedName() == saved && speedOk) {
            bar.SetPosition(savedSpeed);
            if (voiceTakesSavedSpeed) voice.SetSpeed(savedSpeed);
        } else {
            bar.SetPosition(voice.Speed());
        }
    }
    if (list.Selected < 0 || !speedOk) {
        // The saved voice is not installed (any more): the language's first voice speaks
        // instead of leaving the language without a voice. Selecting again also undoes the
        // speed that moving the bar into the voice's range gave it.
        if (list.Selected < 0) list.Selected = 0;
        voice.Select(list.Modes[list.Selected]);
        ApplyRange(l);
        bar.SetPosition(voice.Speed());
    }
}

bool VoiceSelection::TakesDictionaries(Language l) const {
    const VoiceList& list = lists_[l];
    if (list.Selected < 0) return false;
    return voices_[l]->SupportsDictionaries(list.Modes[list.Selected]);
}

VoiceStartup VoiceSelection::Restore(const PerLanguage<std::u16string>& savedVoices,
                                     const PerLanguage<std::string>& savedSpeeds) {
    VoiceStartup result;
    Fill();
    savedVoices_ = savedVoices;
    savedSpeeds_ = savedSpeeds;
    for (Language l : kLanguages) {
        RestoreOne(l, savedVoices[l], savedSpeeds[l], result);
        waitingForSaved_[l] = lists_[l].SelectedName() != savedVoices[l];
    }
    for (Language l : kLanguages)
        result.loadDictionary[l] = TakesDictionaries(l);
    return result;
}

void VoiceSelection::Refill() {
    PerLanguage<std::u16string> current;
    for (Language l : kLanguages)
        current[l] = lists_[l].SelectedName();
    Fill();
    for (Language l : kLanguages) {
        VoiceList& list = lists_[l];
        const auto has = [&list](const std::u16string& name) {
            return std::find(list.Names.begin(), list.Names.end(), name) != list.Names.end();
        };
        if (waitingForSaved_[l] && has(savedVoices_[l])) {
            waitingForSaved_[l] = false;
            VoiceStartup ignored;
            RestoreOne(l, savedVoices_[l], savedSpeeds_[l], ignored);
            continue;
        }
        // The modes already listed keep their numbers: only the index is found again.
        for (std::size_t j = 0; j < list.Names.size(); ++j)
            if (list.Names[j] == current[l]) list.Selected = static_cast<int>(j);
    }
}

void VoiceSelection::Change(Language l, int index) {
    VoiceList& list = lists_[l];
    if (index < 0 || index >= static_cast<int>(list.Modes.size())) return;
    waitingForSaved_[l] = false;
    list.Selected = index;
    voices_[l]->Select(list.Modes[index]);
    ApplyRange(l);
    bars_[l]->SetPosition(voices_[l]->Speed());
    Changed();
}

}  // namespace vernalo
