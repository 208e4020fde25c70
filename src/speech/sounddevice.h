#pragma once
// The desktop's sound device, where this build has one (sounddevice_qt.cpp, through Qt
// Multimedia). The Qt-free build has none (sounddevice_none.cpp): outputs fail with "this
// build has no audio output", so callers need not know which build they are in.

#include <memory>
#include <string>

#include "speech/audiooutput.h"

namespace vernalo {

// An output on the default device, or nullptr with `error` set when none can be opened.
std::unique_ptr<PlaybackOutput> OpenSoundDevice(std::string* error);
// An output on the default device for the life of the voices (a DeviceOutput): when there is
// no device it speaks silently in real time, with a logged warning and `error` telling why,
// until Reopen finds one.
std::unique_ptr<PlaybackOutput> MakeDeviceOutput(std::string* error);

// What the device needs around it in a program that has no Qt application of its own (the
// command-line tool): made on the main thread before the first output, kept while sound plays.
class SoundDeviceHost {
public:
    SoundDeviceHost();
    ~SoundDeviceHost();
    SoundDeviceHost(const SoundDeviceHost&) = delete;
    SoundDeviceHost& operator=(const SoundDeviceHost&) = delete;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Ends a process that may have used the device, once everything of ours is closed and saved,
// without the sound backend's teardown where that is known to crash; where there is no such
// backend it returns `status` for main to return.
int ExitAfterSound(int status);

}  // namespace vernalo
