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

std::u16string VoiceList::selectedName() const {
    if (selected < 0 || selected >= static_cast<int>(names.size())) return {};
    return names[selected];
}

VoiceSelection::VoiceSelection(PerLanguage<Voice*> voices, PerLanguage<TrackBar*> bars)
    : voices_(voices), bars_(bars) {
    for (Language l : kLanguages) {
        bars_[l]->onChange = [this, l] {
            voices_[l]->setSpeed(bars_[l]->position());
            changed();
        };
    }
}

void VoiceSelection::fill() {
    lists_ = {};
    // Both controls list the same modes; ModeCount is read again for every mode, as an engine
    // may still be finding its voices.
    Voice& first = *voices_[Language::Russian];
    for (int n = 1; n <= first.modeCount(); ++n) {
        for (Language l : kLanguages) {
            Voice& voice = *voices_[l];
            if (n > voice.modeCount()) continue;
            const std::u16string name = voice.modeName(n);
            const std::string word = LanguageName(l);
            if (!Contains(name, std::u16string(word.begin(), word.end()))) continue;
            lists_[l].names.push_back(voice.speaker(n));
            lists_[l].modes.push_back(n);
        }
    }
}

void VoiceSelection::applyRange(Language l) {
    bars_[l]->setMax(voices_[l]->maxSpeed());
    bars_[l]->setMin(voices_[l]->minSpeed());
}

void VoiceSelection::restoreOne(Language l, const std::u16string& saved, const std::string& speed,
                                VoiceStartup& result) {
    VoiceList& list = lists_[l];
    Voice& voice = *voices_[l];
    TrackBar& bar = *bars_[l];
    const std::string name = LanguageName(l);
    if (list.names.empty()) {
        result.problems.push_back("no " + name + " voice is installed");
        return;
    }
    int savedSpeed = 0;
    const bool speedOk = ParseSpeed(speed, savedSpeed);
    if (!speedOk) {
        result.problems.push_back("the saved " + name + " speed '" + speed +
                                  "' is not a number; the voice's own speed is used");
    }
    // The English voice's Speed follows the bar alone, and only when the bar moves.
    const bool voiceTakesSavedSpeed = l == Language::Russian;
    for (std::size_t j = 0; j < list.names.size(); ++j) {
        if (list.names[j] == saved) {
            voice.select(list.modes[j]);
            list.selected = static_cast<int>(j);
        }
        applyRange(l);
        if (list.selected >= 0 && list.selectedName() == saved && speedOk) {
            bar.setPosition(savedSpeed);
            if (voiceTakesSavedSpeed) voice.setSpeed(savedSpeed);
        } else {
            bar.setPosition(voice.speed());
        }
    }
    if (list.selected < 0 || !speedOk) {
        // The saved voice is not installed (any more): the language's first voice speaks
        // instead of leaving the language without a voice. Selecting again also undoes the
        // speed that moving the bar into the voice's range gave it.
        if (list.selected < 0) list.selected = 0;
        voice.select(list.modes[list.selected]);
        applyRange(l);
        bar.setPosition(voice.speed());
    }
}

bool VoiceSelection::takesDictionaries(Language l) const {
    const VoiceList& list = lists_[l];
    if (list.selected < 0) return false;
    return voices_[l]->supportsDictionaries(list.modes[list.selected]);
}

VoiceStartup VoiceSelection::restore(const PerLanguage<std::u16string>& savedVoices,
                                     const PerLanguage<std::string>& savedSpeeds) {
    VoiceStartup result;
    fill();
    savedVoices_ = savedVoices;
    savedSpeeds_ = savedSpeeds;
    for (Language l : kLanguages) {
        restoreOne(l, savedVoices[l], savedSpeeds[l], result);
        waitingForSaved_[l] = lists_[l].selectedName() != savedVoices[l];
    }
    for (Language l : kLanguages)
        result.loadDictionary[l] = takesDictionaries(l);
    return result;
}

void VoiceSelection::refill() {
    PerLanguage<std::u16string> current;
    for (Language l : kLanguages)
        current[l] = lists_[l].selectedName();
    fill();
    for (Language l : kLanguages) {
        VoiceList& list = lists_[l];
        const auto has = [&list](const std::u16string& name) {
            return std::find(list.names.begin(), list.names.end(), name) != list.names.end();
        };
        if (waitingForSaved_[l] && has(savedVoices_[l])) {
            waitingForSaved_[l] = false;
            VoiceStartup ignored;
            restoreOne(l, savedVoices_[l], savedSpeeds_[l], ignored);
            continue;
        }
        // The modes already listed keep their numbers: only the index is found again.
        for (std::size_t j = 0; j < list.names.size(); ++j)
            if (list.names[j] == current[l]) list.selected = static_cast<int>(j);
    }
}

void VoiceSelection::change(Language l, int index) {
    VoiceList& list = lists_[l];
    if (index < 0 || index >= static_cast<int>(list.modes.size())) return;
    waitingForSaved_[l] = false;
    list.selected = index;
    voices_[l]->select(list.modes[index]);
    applyRange(l);
    bars_[l]->setPosition(voices_[l]->speed());
    changed();
}

}  // namespace vernalo
