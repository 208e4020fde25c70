#pragma once
// Ending a process that used the sound device.

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace vernalo {

// Qt Multimedia's PulseAudio backend (Qt 6.4) can crash while its global state is torn down
// at exit, racing its own mainloop thread. Call this once everything of ours is closed and
// saved: it flushes the standard streams and ends the process without that teardown.
[[noreturn]] inline void ExitSkippingAudioTeardown(int status) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace vernalo
