#include <QCoreApplication>
#include <QLoggingCategory>

#include "speech/qtaudiooutput.h"
#include "speech/quickexit.h"
#include "speech/sounddevice.h"

namespace vernalo {

Q_DECLARE_LOGGING_CATEGORY(lcAudio)

std::unique_ptr<AudioOutput> OpenSoundDevice(std::string* error) {
    auto out = std::make_unique<QtAudioOutput>();
    if (out->start(error)) return out;
    return nullptr;
}

std::unique_ptr<AudioOutput> MakeDeviceOutput(std::string* error) {
    if (auto out = OpenSoundDevice(error)) return out;
    qCWarning(lcAudio) << "no audio output:" << (error ? error->c_str() : "");
    return std::make_unique<NullOutput>();
}

struct SoundDeviceHost::State {
    // The application object keeps referring to these for its whole life.
    static inline int argc = 1;
    static inline char name[] = "vernalo-cli";
    static inline char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
};

SoundDeviceHost::SoundDeviceHost() : state_(std::make_unique<State>()) {
    if (!QCoreApplication::instance())
        state_->app = std::make_unique<QCoreApplication>(State::argc, State::argv);
}

SoundDeviceHost::~SoundDeviceHost() = default;

int ExitAfterSound(int status) {
    ExitSkippingAudioTeardown(status);
}

}  // namespace vernalo
