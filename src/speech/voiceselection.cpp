#include "speech/voiceselection.h"

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

VoiceSelection::VoiceSelection(TDirectSS& ru, TDirectSS& en, TrackBar& barRU, TrackBar& barEN)
    : ru_(ru), en_(en), barRU_(barRU), barEN_(barEN) {
    barRU_.OnChange = [this] {
        ru_.SetSpeed(barRU_.Position());
        Changed();
    };
    barEN_.OnChange = [this] {
        en_.SetSpeed(barEN_.Position());
        Changed();
    };
}

void VoiceSelection::Fill() {
    listRU_ = {};
    listEN_ = {};
    // ModeCount is read again for every mode: an engine may still be finding its voices.
    for (int n = 1; n <= ru_.ModeCount(); ++n) {
        if (Contains(ru_.ModeName(n), u"Russian")) {
            listRU_.Names.push_back(ru_.Speaker(n));
            listRU_.Modes.push_back(n);
        }
        if (n <= en_.ModeCount() && Contains(en_.ModeName(n), u"English")) {
            listEN_.Names.push_back(en_.Speaker(n));
            listEN_.Modes.push_back(n);
        }
    }
}

void VoiceSelection::ApplyRange(const Language& lang) {
    lang.bar->SetMax(lang.voice->MaxSpeed());
    lang.bar->SetMin(lang.voice->MinSpeed());
}

void VoiceSelection::RestoreOne(const Language& lang, const std::u16string& saved,
                                const std::string& speed, bool voiceTakesSavedSpeed,
                                VoiceStartup& result) {
    VoiceList& list = *lang.list;
    if (list.Names.empty()) {
        result.Problems.push_back(std::string("no ") + lang.name + " voice is installed");
        return;
    }
    int savedSpeed = 0;
    const bool speedOk = ParseSpeed(speed, savedSpeed);
    if (!speedOk) {
        result.Problems.push_back(std::string("the saved ") + lang.name + " speed '" + speed +
                                  "' is not a number; the voice's own speed is used");
    }
    for (std::size_t j = 0; j < list.Names.size(); ++j) {
        if (list.Names[j] == saved) {
            lang.voice->Select(list.Modes[j]);
            list.Selected = static_cast<int>(j);
        }
        ApplyRange(lang);
        if (list.Selected >= 0 && list.SelectedName() == saved && speedOk) {
            lang.bar->SetPosition(savedSpeed);
            if (voiceTakesSavedSpeed) lang.voice->SetSpeed(savedSpeed);
        } else {
            lang.bar->SetPosition(lang.voice->Speed());
        }
    }
    if (list.Selected < 0 || !speedOk) {
        // The saved voice is not installed (any more): the language's first voice speaks
        // instead of leaving the language without a voice. Selecting again also undoes the
        // speed that moving the bar into the voice's range gave it.
        if (list.Selected < 0) list.Selected = 0;
        lang.voice->Select(list.Modes[list.Selected]);
        ApplyRange(lang);
        lang.bar->SetPosition(lang.voice->Speed());
    }
}

bool VoiceSelection::IsDigalo(const Language& lang) const {
    const VoiceList& list = *lang.list;
    if (list.Selected < 0) return false;
    return Contains(lang.voice->ProductName(list.Modes[list.Selected]), u"DIGALO");
}

VoiceStartup VoiceSelection::Restore(const std::u16string& savedRU, const std::u16string& savedEN,
                                     const std::string& speedRU, const std::string& speedEN) {
    VoiceStartup result;
    Fill();
    const Language ru{&ru_, &barRU_, &listRU_, "Russian"};
    const Language en{&en_, &barEN_, &listEN_, "English"};
    RestoreOne(ru, savedRU, speedRU, true, result);
    // The English voice's Speed follows the bar alone, and only when the bar moves.
    RestoreOne(en, savedEN, speedEN, false, result);
    result.LoadDictRU = IsDigalo(ru);
    result.LoadDictEN = IsDigalo(en);
    return result;
}

void VoiceSelection::Change(const Language& lang, int index) {
    VoiceList& list = *lang.list;
    if (index < 0 || index >= static_cast<int>(list.Modes.size())) return;
    list.Selected = index;
    lang.voice->Select(list.Modes[index]);
    ApplyRange(lang);
    lang.bar->SetPosition(lang.voice->Speed());
    Changed();
}

void VoiceSelection::ChangeRU(int index) {
    Change({&ru_, &barRU_, &listRU_, "Russian"}, index);
}
void VoiceSelection::ChangeEN(int index) {
    Change({&en_, &barEN_, &listEN_, "English"}, index);
}

}  // namespace vernalo
