#include "speech/qtaudiooutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace vernalo {

Q_LOGGING_CATEGORY(lcAudio, "vernalo.speech", QtWarningMsg)

namespace {
using Clock = std::chrono::steady_clock;

Clock::duration SamplesDuration(std::size_t count) {
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(count) / kSampleRate));
}

// Asked of the sound server, which may grant less and keeps the stream's buffer about that full.
// A reset drops the whole buffer, so its size adds nothing to what is heard after a reset.
constexpr qsizetype kBufferBytes = kSampleRate * 2 / 5;  // 200 ms
// The sink reports a stretch done when the server has taken its last sample; the device
// plays it a little later. Playing lasts this much past the stretch's own duration.
constexpr auto kDeviceLatency = std::chrono::milliseconds(10);
// Should the server never take the last sample (a stalled server), playback is taken as over
// this long after it should have ended.
constexpr auto kEndGrace = std::chrono::milliseconds(400);
// A short stretch is held back this long for more of it unless the writer flushes.
constexpr auto kHoldBack = std::chrono::milliseconds(15);
constexpr int kPumpMs = 5;
}  // namespace

// The sound server starts (and, after running dry, restarts) a stream only once it holds a
// prebuffer of nearly its whole buffer; a stretch shorter than that would wait, unheard, for
// audio that never comes. So a stream that ran dry gets a stretch in one piece, filled up
// with silence to the buffer's size when it is short. The silence plays on after the stretch
// but is not waited for: the stretch is over once the server has taken its last real sample
// and its duration (from when it was handed over) has passed.
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
    bool taken = false;               // the server has taken all real audio handed to it
    bool flushed = false;             // the writer has nothing more for now
    std::size_t serverHolds = 0;      // samples the server had not taken at the last pump
    Clock::time_point firstQueued{};  // when `queued` last became non-empty
    Clock::time_point streamEnd{};    // when all handed over, silence included, has played
    Clock::time_point realEnd{};      // when the last real sample handed over has played
    std::int64_t written = 0;         // samples, silence included, written since the stream began
    std::int64_t realWritten = 0;     // `written` after the last real sample
    // The real audio handed to the sink and when each stretch starts playing, for what is
    // heard; a stretch leaves once it has played.
    struct Stretch {
        Clock::time_point from;
        std::int64_t count;
    };
    std::deque<Stretch> stretches;
    std::int64_t total = 0;  // samples ever given to Write
    std::atomic<bool> failed{false};
    std::atomic<bool> pumpPosted{false};
    NullOutput fallback;
    bool reported = false;

    bool open(std::string* error);
    bool startStream();
    void pump();
    void postPump();
    void fail(const std::string& message);
    void onState();
    // With `mutex` held.
    void updateBusy(Clock::time_point now);
};

bool QtAudioOutput::Impl::open(std::string* error) {
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
    QObject::connect(sink, &QAudioSink::stateChanged, context, [this] { onState(); });
    // A failing start sends no signal: ask at once.
    if (!startStream()) {
        if (error) *error = "the audio output device cannot be opened";
        delete sink;
        sink = nullptr;
        return false;
    }
    timer = new QTimer(context);
    timer->setInterval(kPumpMs);
    QObject::connect(timer, &QTimer::timeout, context, [this] { pump(); });
    return true;
}

bool QtAudioOutput::Impl::startStream() {
    // The sink asks again for what it was granted last time, which may be less each time.
    sink->setBufferSize(kBufferBytes);
    io = sink->start();
    {
        std::lock_guard lock(mutex);
        written = realWritten = 0;
    }
    if (!io || sink->state() == QAudio::StoppedState || sink->error() == QAudio::OpenError ||
        sink->error() == QAudio::FatalError) {
        io = nullptr;
        return false;
    }
    return true;
}

void QtAudioOutput::Impl::fail(const std::string& message) {
    std::vector<std::int16_t> rest;
    {
        std::lock_guard lock(mutex);
        if (failed) return;
        failed = true;
        rest.assign(queued.begin(), queued.end());
        queued.clear();
        busy = false;
    }
    fallback.write(rest.data(), rest.size());
    if (timer) timer->stop();
    qCWarning(lcAudio) << "audio output failed:" << message.c_str();
    if (!reported) {
        reported = true;
        owner->tellLost(message);
    }
}

void QtAudioOutput::Impl::updateBusy(Clock::time_point now) {
    if (!busy || !queued.empty()) return;
    // The server must be taking the sound as reckoned: one that stalls holds it longer.
    const auto handOver = SamplesDuration(serverHolds) <= kHandOver;
    if (((taken || handOver) && now >= realEnd + kDeviceLatency - kHandOver) ||
        now > realEnd + kEndGrace)
        busy = false;
}

void QtAudioOutput::Impl::pump() {
    if (failed || !sink) return;
    if (!io || sink->state() == QAudio::StoppedState) {
        if (!startStream()) {
            fail("the audio output device stopped working");
            return;
        }
    }
    const auto room = static_cast<std::size_t>(std::max<qsizetype>(sink->bytesFree(), 0) / 2);
    const auto prebuffer = static_cast<std::size_t>(std::max<qsizetype>(sink->bufferSize(), 0) / 2);
    const std::size_t holds = prebuffer > room ? prebuffer - room : 0;
    // The stream waits for a whole prebuffer before it plays once it ran dry.
    const bool idle = sink->state() == QAudio::IdleState;
    // Only asked when silence follows the real audio: the idle report comes after the silence.
    const bool padded = written > realWritten;
    const std::int64_t played = padded ? sink->processedUSecs() * kSampleRate / 1000000 : 0;
    std::vector<char> bytes;
    bool more = false;
    {
        std::lock_guard lock(mutex);
        const auto now = Clock::now();
        serverHolds = holds;
        // A sound handed over at the end of the one before may find the stream run dry by
        // the time it arrives.
        const bool dry = idle || (!busy && SamplesDuration(holds) <= kHandOver + kDeviceLatency);
        std::size_t n = std::min(room, queued.size());
        std::size_t pad = 0;
        if (dry && n > 0 && holds + n < prebuffer) {
            if (!flushed && now - firstQueued < kHoldBack)
                n = 0;  // the rest of the stretch is likely on its way
            else
                pad = std::min(room, prebuffer) - n;
        }
        if (n > 0) {
            bytes.assign((n + pad) * 2, 0);
            std::copy_n(queued.begin(), n, reinterpret_cast<std::int16_t*>(bytes.data()));
            queued.erase(queued.begin(), queued.begin() + static_cast<std::ptrdiff_t>(n));
            busy = true;
            taken = false;
            written += static_cast<std::int64_t>(n);
            realWritten = written;
            written += static_cast<std::int64_t>(pad);
            // A dry stream starts playing now; a running one after what it holds.
            const auto from = idle ? now : std::max(streamEnd, now);
            realEnd = from + SamplesDuration(n);
            streamEnd = realEnd + SamplesDuration(pad);
            while (!stretches.empty() && stretches.front().from +
                                                 SamplesDuration(stretches.front().count) +
                                                 kDeviceLatency <
                                             now)
                stretches.pop_front();
            stretches.push_back({from + kDeviceLatency, static_cast<std::int64_t>(n)});
        } else if (padded && played >= realWritten) {
            taken = true;
        }
        updateBusy(now);
        more = !queued.empty() || busy;
    }
    if (!bytes.empty()) io->write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (more && !timer->isActive()) timer->start();
    if (!more) timer->stop();
}

void QtAudioOutput::Impl::postPump() {
    if (pumpPosted.exchange(true)) return;
    QMetaObject::invokeMethod(
        context,
        [this] {
            pumpPosted = false;
            pump();
        },
        Qt::QueuedConnection);
}

void QtAudioOutput::Impl::onState() {
    if (!sink) return;
    if (sink->error() == QAudio::OpenError || sink->error() == QAudio::FatalError) {
        fail("the audio output device stopped working");
        return;
    }
    // The report may be stale: audio written since makes the sink active again.
    if (sink->state() != QAudio::IdleState) return;
    // Ran dry: the server has taken everything written.
    std::lock_guard lock(mutex);
    if (!queued.empty()) return;
    taken = true;
    updateBusy(Clock::now());
}

QtAudioOutput::QtAudioOutput() : d_(std::make_unique<Impl>()) {
    d_->owner = this;
    d_->context = new QObject;
    d_->context->moveToThread(&d_->thread);
    d_->thread.setObjectName(QStringLiteral("audio output"));
}

QtAudioOutput::~QtAudioOutput() {
    if (d_->thread.isRunning()) {
        // The last moment of a sound already handed over plays out, as it does on a reset.
        Clock::time_point tailEnd{};
        {
            std::lock_guard lock(d_->mutex);
            if (!d_->failed && !d_->busy && d_->queued.empty())
                tailEnd = d_->realEnd + kDeviceLatency;
        }
        if (tailEnd > Clock::now() && tailEnd - Clock::now() <= kHandOver + kDeviceLatency)
            std::this_thread::sleep_until(tailEnd);
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

bool QtAudioOutput::start(std::string* error) {
    if (!QCoreApplication::instance()) {
        if (error) *error = "no audio output without an application object";
        return false;
    }
    d_->thread.start();
    bool ok = false;
    QMetaObject::invokeMethod(
        d_->context, [this, &ok, error] { ok = d_->open(error); }, Qt::BlockingQueuedConnection);
    if (!ok) d_->failed = true;
    return ok;
}

bool QtAudioOutput::reopen(std::string* error) {
    if (!d_->failed) return true;
    if (error) *error = "the audio output device stopped working";
    return false;
}

void QtAudioOutput::write(const std::int16_t* samples, std::size_t count) {
    if (count == 0) return;
    {
        std::lock_guard lock(d_->mutex);
        d_->total += static_cast<std::int64_t>(count);
        if (!d_->failed) {
            if (d_->queued.empty()) d_->firstQueued = Clock::now();
            d_->queued.insert(d_->queued.end(), samples, samples + count);
            d_->flushed = false;
        }
    }
    if (d_->failed) {
        d_->fallback.write(samples, count);
        return;
    }
    d_->postPump();
}

std::optional<std::int64_t> QtAudioOutput::heard() const {
    std::lock_guard lock(d_->mutex);
    if (d_->failed) return d_->total - d_->fallback.unheard();
    // The sink plays in real time from each stretch's start, as Pump reckons it.
    const auto now = Clock::now();
    std::int64_t unheard = static_cast<std::int64_t>(d_->queued.size());
    for (const Impl::Stretch& s : d_->stretches) {
        const double played = std::chrono::duration<double>(now - s.from).count() * kSampleRate;
        unheard +=
            s.count - std::clamp(static_cast<std::int64_t>(played), std::int64_t{0}, s.count);
    }
    return d_->total - unheard;
}

void QtAudioOutput::flush() {
    {
        std::lock_guard lock(d_->mutex);
        d_->flushed = true;
        if (d_->queued.empty() || d_->failed) return;
    }
    d_->postPump();
}

bool QtAudioOutput::playing() const {
    if (d_->failed) return d_->fallback.playing();
    std::lock_guard lock(d_->mutex);
    return !d_->queued.empty() || d_->busy;
}

void QtAudioOutput::reset() {
    d_->fallback.reset();
    bool wasPlaying;
    {
        std::lock_guard lock(d_->mutex);
        wasPlaying = !d_->queued.empty() || d_->busy;
        d_->queued.clear();
        d_->stretches.clear();
        d_->busy = false;
    }
    // A silent voice is reset after every piece of the other language; restarting an idle
    // sink would only delay that piece.
    if (!wasPlaying || d_->failed || !d_->thread.isRunning()) return;
    if (QThread::currentThread() == &d_->thread) return;
    // Drops what the device still holds, then opens a new stream without keeping the caller
    // waiting, so that the next write finds it ready.
    QMetaObject::invokeMethod(
        d_->context,
        [this] {
            if (!d_->sink) return;
            d_->sink->reset();
            d_->io = nullptr;
        },
        Qt::BlockingQueuedConnection);
    d_->postPump();
}

}  // namespace vernalo
