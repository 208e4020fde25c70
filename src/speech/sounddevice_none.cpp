#include "speech/sounddevice.h"

namespace vernalo {

std::unique_ptr<AudioOutput> OpenSoundDevice(std::string* error) {
    if (error) *error = "this build has no audio output";
    return nullptr;
}

std::unique_ptr<AudioOutput> MakeDeviceOutput(std::string* error) {
    OpenSoundDevice(error);
    return std::make_unique<NullOutput>();
}

struct SoundDeviceHost::State {};

SoundDeviceHost::SoundDeviceHost() = default;
SoundDeviceHost::~SoundDeviceHost() = default;

int ExitAfterSound(int status) {
    return status;
}

}  // namespace vernalo
