#pragma once
// Milliseconds on a clock that never goes back, for the controllers' injectable clocks.

#include <QElapsedTimer>
#include <cstdint>

namespace vernalo {

inline std::int64_t MonotonicMs() {
    static const QElapsedTimer since = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return since.elapsed();
}

}  // namespace vernalo
