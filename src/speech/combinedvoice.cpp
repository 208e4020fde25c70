#include "speech/combinedvoice.h"

namespace vernalo {

CombinedVoice::CombinedVoice(std::vector<std::unique_ptr<Voice>> engines)
    : engines_(std::move(engines)) {
    const auto [engine, local] = locate(1);
    if (engine >= 0) {
        engine_ = engine;
        engines_[engine]->select(local);
    }
}

std::pair<int, int> CombinedVoice::locate(int mode) const {
    if (mode < 1) return {-1, 0};
    for (std::size_t i = 0; i < engines_.size(); ++i) {
        const int count = engines_[i]->modeCount();
        if (mode <= count) return {static_cast<int>(i), mode};
        mode -= count;
    }
    return {-1, 0};
}

int CombinedVoice::modeCount() const {
    int count = 0;
    for (const auto& e : engines_)
        count += e->modeCount();
    return count;
}

std::u16string CombinedVoice::modeName(int mode) const {
    const auto [engine, local] = locate(mode);
    return engine < 0 ? std::u16string() : engines_[engine]->modeName(local);
}

std::u16string CombinedVoice::speaker(int mode) const {
    const auto [engine, local] = locate(mode);
    return engine < 0 ? std::u16string() : engines_[engine]->speaker(local);
}

std::u16string CombinedVoice::productName(int mode) const {
    const auto [engine, local] = locate(mode);
    return engine < 0 ? std::u16string() : engines_[engine]->productName(local);
}

bool CombinedVoice::supportsDictionaries(int mode) const {
    const auto [engine, local] = locate(mode);
    return engine >= 0 && engines_[engine]->supportsDictionaries(local);
}

const Voice* CombinedVoice::engineOf(int mode) const {
    const int engine = locate(mode).first;
    return engine < 0 ? nullptr : engines_[engine].get();
}

void CombinedVoice::select(int mode) {
    const auto [engine, local] = locate(mode);
    if (engine < 0) return;
    engine_ = engine;
    engines_[engine]->select(local);
}

int CombinedVoice::speaking() const {
    int speaking = 0;
    for (const auto& e : engines_)
        speaking += e->speaking();
    return speaking;
}

void CombinedVoice::audioReset() {
    for (const auto& e : engines_)
        e->audioReset();
}

}  // namespace vernalo
