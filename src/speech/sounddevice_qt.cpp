#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <QCoreApplication>
#include <QLoggingCategory>

#include <chrono>

#include "speech/deviceoutput.h"
#include "speech/qtaudiooutput.h"
#include "speech/quickexit.h"
#include "speech/sounddevice.h"

namespace vernalo {

Q_DECLARE_LOGGING_CATEGORY(lcAudio)

namespace {

// Qt Multimedia connects to the sound server once, when first asked for a device, and never
// again when that fails: asked while no server runs, it finds no device for the rest of the
// process. So the server is asked here first, and Qt only once it answers.
bool SoundServerAnswers() {
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "vernalo");
    bool ready = false;
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) >= 0) {
        // A server that takes the connection but never answers is as good as none.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_READY) {
                ready = true;
                break;
            }
            if (!PA_CONTEXT_IS_GOOD(state) || std::chrono::steady_clock::now() > deadline) break;
            if (pa_mainloop_prepare(loop, 100'000) < 0 || pa_mainloop_poll(loop) < 0 ||
                pa_mainloop_dispatch(loop) < 0)
                break;
        }
        pa_context_disconnect(context);
    }
    if (context) pa_context_unref(context);
    pa_mainloop_free(loop);
    return ready;
}

}  // namespace

std::unique_ptr<PlaybackOutput> OpenSoundDevice(std::string* error) {
    if (!SoundServerAnswers()) {
        // What Qt says when it has no server to ask.
        if (error) *error = "no audio output device";
        return nullptr;
    }
    auto out = std::make_unique<QtAudioOutput>();
    if (out->start(error)) return out;
    return nullptr;
}

std::unique_ptr<PlaybackOutput> MakeDeviceOutput(std::string* error) {
    std::string why;
    auto out = std::make_unique<DeviceOutput>(OpenSoundDevice, &why);
    if (!why.empty()) {
        qCWarning(lcAudio) << "no audio output:" << why.c_str();
        if (error) *error = why;
    }
    return out;
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
