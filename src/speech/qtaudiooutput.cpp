#include "speech/qtaudiooutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <vector>

namespace vernalo {

namespace {
using Clock = std::chrono::steady_clock;

Clock::duration SamplesDuration(std::size_t count) {
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(count) / kSampleRate));
}

// The sink reports the end of playback by going idle; should that never come (a stalled
// server), playback is taken as over this long after it should have ended.
constexpr auto kEndGrace = std::chrono::milliseconds(400);
// An idle report this much before the expected end belongs to an earlier stretch of audio.
constexpr auto kEarlyIdle = std::chrono::milliseconds(150);
constexpr int kPumpMs = 10;
constexpr double kAheadSeconds = 0.12;
}  // namespace

struct QtAudioOutput::Impl {
    QtAudioOutput* owner = nullptr;
    QThread thread;
    QObject* context = nullptr;  // lives on `thread`; everything Qt happens through it
    QAudioSink* sink = nullptr;
    QIODevice* io = nullptr;
    QTimer* timer = nullptr;

    mutable std::mutex mutex;
    std::deque<std::int16_t> queued;  // written, not yet handed to the sink
    bool busy = false;                // handed to the sink, not yet played
    Clock::time_point expectedEnd{};
    std::atomic<bool> failed{false};
    std::atomic<bool> pumpPosted{false};
    NullOutput fallback;
    bool reported = false;

    bool Open(std::string* error);
    void Pump();
    void Fail(const std::string& message);
    void OnState(QAudio::State state);
};

bool QtAudioOutput::Impl::Open(std::string* error) {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        if (error) *error = "no audio output device";
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(kSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        if (error) *error = "the audio output device cannot play 22050 Hz mono sound";
        return false;
    }
    sink = new QAudioSink(device, format);
    sink->setBufferSize(kSampleRate * 2 / 5);  // 200 ms: short enough to stop at once
    QObject::connect(sink, &QAudioSink::stateChanged, context,
                     [this](QAudio::State s) { OnState(s); });
    io = sink->start();
    // A failing start sends no signal: ask at once.
    if (!io || sink->state() == QAudio::StoppedState || sink->error() != QAudio::NoError) {
        if (error) *error = "the audio output device cannot be opened";
        delete sink;
        sink = nullptr;
        io = nullptr;
        return false;
    }
    timer = new QTimer(context);
    timer->setInterval(kPumpMs);
    QObject::connect(timer, &QTimer::timeout, context, [this] { Pump(); });
    return true;
}

void QtAudioOutput::Impl::Fail(const std::string& message) {
    std::vector<std::int16_t> rest;
    {
        std::lock_guard lock(mutex);
        if (failed) return;
        failed = true;
        rest.assign(queued.begin(), queued.end());
        queued.clear();
        busy = false;
    }
    fallback.Write(rest.data(), rest.size());
    if (timer) timer->stop();
    if (!reported && owner->OnError) {
        reported = true;
        owner->OnError(message);
    }
}

void QtAudioOutput::Impl::Pump() {
    if (failed || !sink) return;
    if (!io || sink->state() == QAudio::StoppedState) {
        io = sink->start();
        if (!io || sink->error() == QAudio::OpenError || sink->error() == QAudio::FatalError) {
            Fail("the audio output device stopped working");
            return;
        }
    }
    std::vector<char> bytes;
    bool more = false;
    {
        std::lock_guard lock(mutex);
        // Stay only a little ahead of playback, whatever buffer the server grants, so that a
        // reset leaves next to nothing behind to be heard.
        const auto now = Clock::now();
        const double ahead =
            std::max(0.0, std::chrono::duration<double>(expectedEnd - now).count());
        const auto wanted =
            static_cast<std::size_t>(std::max(0.0, kAheadSeconds - ahead) * kSampleRate);
        const auto room = static_cast<std::size_t>(std::max<qsizetype>(sink->bytesFree(), 0) / 2);
        const std::size_t n = std::min({room, wanted, queued.size()});
        if (n > 0) {
            bytes.resize(n * 2);
            auto* out = reinterpret_cast<std::int16_t*>(bytes.data());
            std::copy_n(queued.begin(), n, out);
            queued.erase(queued.begin(), queued.begin() + static_cast<std::ptrdiff_t>(n));
            busy = true;
            expectedEnd = std::max(expectedEnd, Clock::now()) + SamplesDuration(n);
        }
        if (queued.empty() && busy && Clock::now() > expectedEnd + kEndGrace) busy = false;
        more = !queued.empty() || busy;
    }
    if (!bytes.empty()) io->write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (more && !timer->isActive()) timer->start();
    if (!more) timer->stop();
}

void QtAudioOutput::Impl::OnState(QAudio::State state) {
    if (sink && (sink->error() == QAudio::OpenError || sink->error() == QAudio::FatalError)) {
        Fail("the audio output device stopped working");
        return;
    }
    if (state != QAudio::IdleState) return;
    std::lock_guard lock(mutex);
    if (queued.empty() && Clock::now() + kEarlyIdle >= expectedEnd) busy = false;
}

QtAudioOutput::QtAudioOutput() : d_(std::make_unique<Impl>()) {
    d_->owner = this;
    d_->context = new QObject;
    d_->context->moveToThread(&d_->thread);
    d_->thread.setObjectName(QStringLiteral("audio output"));
}

QtAudioOutput::~QtAudioOutput() {
    if (d_->thread.isRunning()) {
        QMetaObject::invokeMethod(
            d_->context,
            [this] {
                if (d_->sink) {
                    d_->sink->reset();
                    delete d_->sink;
                    d_->sink = nullptr;
                }
                delete d_->context;
                d_->context = nullptr;
            },
            Qt::BlockingQueuedConnection);
        d_->thread.quit();
        d_->thread.wait();
    } else {
        delete d_->context;
    }
}

bool QtAudioOutput::Start(std::string* error) {
    if (!QCoreApplication::instance()) {
        if (error) *error = "no audio output without an application object";
        return false;
    }
    d_->thread.start();
    bool ok = false;
    QMetaObject::invokeMethod(
        d_->context, [this, &ok, error] { ok = d_->Open(error); }, Qt::BlockingQueuedConnection);
    if (!ok) d_->failed = true;
    return ok;
}

void QtAudioOutput::Write(const std::int16_t* samples, std::size_t count) {
    if (count == 0) return;
    {
        std::lock_guard lock(d_->mutex);
        if (!d_->failed) {
            d_->queued.insert(d_->queued.end(), samples, samples + count);
        }
    }
    if (d_->failed) {
        d_->fallback.Write(samples, count);
        return;
    }
    if (!d_->pumpPosted.exchange(true)) {
        QMetaObject::invokeMethod(
            d_->context,
            [this] {
                d_->pumpPosted = false;
                d_->Pump();
            },
            Qt::QueuedConnection);
    }
}

bool QtAudioOutput::Playing() const {
    if (d_->failed) return d_->fallback.Playing();
    std::lock_guard lock(d_->mutex);
    return !d_->queued.empty() || d_->busy;
}

void QtAudioOutput::Reset() {
    d_->fallback.Reset();
    {
        std::lock_guard lock(d_->mutex);
        d_->queued.clear();
        d_->busy = false;
        d_->expectedEnd = Clock::now();
    }
    if (d_->failed || !d_->thread.isRunning()) return;
    if (QThread::currentThread() == &d_->thread) return;
    // Drops what the device still holds; the sink is started again by the next write.
    QMetaObject::invokeMethod(
        d_->context,
        [this] {
            if (!d_->sink) return;
            d_->sink->reset();
            d_->io = nullptr;
        },
        Qt::BlockingQueuedConnection);
}

std::unique_ptr<AudioOutput> MakeDeviceOutput(std::string* error) {
    auto out = std::make_unique<QtAudioOutput>();
    if (out->Start(error)) return out;
    return std::make_unique<NullOutput>();
}

}  // namespace vernalo
