#pragma once
// The stretches of sound in a recording, for tests that measure the silences between pieces.

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace vernalo::test {

// [first loud sample, last loud sample] of each stretch: a sample louder than `loud` is sound,
// and quiet no longer than `joined` samples (between the words of a piece) parts nothing.
template <typename Sample>
std::vector<std::pair<std::size_t, std::size_t>> SoundStretches(const std::vector<Sample>& s,
                                                                double loud, std::size_t joined) {
    std::vector<std::pair<std::size_t, std::size_t>> out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (std::abs(double(s[i])) <= loud) continue;
        if (!out.empty() && i - out.back().second <= joined)
            out.back().second = i;
        else
            out.push_back({i, i});
    }
    return out;
}

}  // namespace vernalo::test
