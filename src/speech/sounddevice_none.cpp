#include "speech/sounddevice.h"

#include "speech/deviceoutput.h"

namespace vernalo {

std::unique_ptr<PlaybackOutput> OpenSoundDevice(std::string* error) {
    if (error) *error = "this build has no audio output";
    return nullptr;
}

std::unique_ptr<PlaybackOutput> MakeDeviceOutput(std::string* error) {
    return std::make_unique<DeviceOutput>(OpenSoundDevice, error);
}

struct SoundDeviceHost::State {};

SoundDeviceHost::SoundDeviceHost() = default;
SoundDeviceHost::~SoundDeviceHost() = default;

int ExitAfterSound(int status) {
    return status;
}

}  // namespace vernalo
