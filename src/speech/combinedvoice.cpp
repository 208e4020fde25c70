#include "speech/combinedvoice.h"

namespace vernalo {

CombinedVoice::CombinedVoice(std::vector<std::unique_ptr<Voice>> engines)
    : engines_(std::move(engines)) {
    const auto [engine, local] = Locate(1);
    if (engine >= 0) {
        engine_ = engine;
        engines_[engine]->Select(local);
    }
}

std::pair<int, int> CombinedVoice::Locate(int mode) const {
    if (mode < 1) return {-1, 0};
    for (std::size_t i = 0; i < engines_.size(); ++i) {
        const int count = engines_[i]->ModeCount();
        if (mode <= count) return {static_cast<int>(i), mode};
        mode -= count;
    }
    return {-1, 0};
}

int CombinedVoice::ModeCount() const {
    int count = 0;
    for (const auto& e : engines_)
        count += e->ModeCount();
    return count;
}

std::u16string CombinedVoice::ModeName(int mode) const {
    const auto [engine, local] = Locate(mode);
    return engine < 0 ? std::u16string() : engines_[engine]->ModeName(local);
}

std::u16string CombinedVoice::Speaker(int mode) const {
    const auto [engine, local] = Locate(mode);
    return engine < 0 ? std::u16string() : engines_[engine]->Speaker(local);
}

std::u16string CombinedVoice::ProductName(int mode) const {
    const auto [engine, local] = Locate(mode);
    return engine < 0 ? std::u16string() : engines_[engine]->ProductName(local);
}

bool CombinedVoice::SupportsDictionaries(int mode) const {
    const auto [engine, local] = Locate(mode);
    return engine >= 0 && engines_[engine]->SupportsDictionaries(local);
}

const Voice* CombinedVoice::EngineOf(int mode) const {
    const int engine = Locate(mode).first;
    return engine < 0 ? nullptr : engines_[engine].get();
}

void CombinedVoice::Select(int mode) {
    const auto [engine, local] = Locate(mode);
    if (engine < 0) return;
    engine_ = engine;
    engines_[engine]->Select(local);
}

int CombinedVoice::Speaking() const {
    int speaking = 0;
    for (const auto& e : engines_)
        speaking += e->Speaking();
    return speaking;
}

void CombinedVoice::AudioReset() {
    for (const auto& e : engines_)
        e->AudioReset();
}

}  // namespace vernalo
