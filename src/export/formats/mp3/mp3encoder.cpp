#include "export/formats/mp3/mp3encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "text/textcodec.h"

namespace vernalo {

namespace {

lame_global_flags* Lame(void* p) {
    return static_cast<lame_global_flags*>(p);
}

// Samples this close to zero are a pause: the voices breathe at a low level between words.
constexpr int kQuiet = 1024;
// Of a pause, what stays with the sound before it: 5 ms at the engine's rate.
constexpr std::size_t kDecay = 110;
// The encoder's output per channel in bytes for `samples` samples: its own bound.
std::size_t Mp3Bound(std::size_t samples) {
    return samples * 5 / 4 + 7200;
}

bool IsAscii(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (unsigned char)c < 0x80; });
}

// The byte-order-marked UTF-16 the tag's text frames take.
std::vector<unsigned short> MarkedUtf16(const std::string& utf8) {
    const std::u16string text = Utf8ToUtf16(utf8);
    std::vector<unsigned short> out{0xFEFF};
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
    return out;
}

// The short closing tag knows only Latin letters; a text in any other script goes into the
// leading tag alone, as UTF-16, so that players show it as written.
void SetText(lame_global_flags* l, const char* frame, const std::string& text,
             void (*latin)(lame_global_flags*, const char*)) {
    if (IsAscii(text))
        latin(l, text.c_str());
    else
        id3tag_set_textinfo_utf16(l, frame, MarkedUtf16(text).data());
}

}  // namespace

Mp3Encoder::Mp3Encoder(std::FILE* out, Mp3Settings settings)
    : out_(out), settings_(std::move(settings)) {
    if (settings_.workers == 0)
        settings_.workers = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
}

Mp3Encoder::~Mp3Encoder() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    for (auto& worker : workers_)
        worker.join();
}

bool Mp3Encoder::fail(std::string reason) {
    if (reason_.empty()) reason_ = std::move(reason);
    return false;
}

void* Mp3Encoder::newEncoder(std::string* error, bool tagged) const {
    lame_global_flags* l = lame_init();
    if (!l) {
        *error = std::strerror(ENOMEM);
        return nullptr;
    }
    lame_set_in_samplerate(l, settings_.rate);
    lame_set_out_samplerate(l, settings_.rate);
    lame_set_num_channels(l, 1);
    lame_set_mode(l, MONO);
    lame_set_VBR(l, vbr_off);
    lame_set_brate(l, settings_.kilobitsPerSecond);
    lame_set_quality(l, settings_.quality);
    lame_set_bWriteVbrTag(l, 0);            // the file is written in one pass
    lame_set_write_id3tag_automatic(l, 0);  // one tag for the file, not one per stretch
    if (tagged) {
        id3tag_init(l);
        id3tag_add_v2(l);
        SetText(l, "TIT2", settings_.title, id3tag_set_title);
        SetText(l, "TPE1", settings_.artist, id3tag_set_artist);
        if (!settings_.album.empty()) SetText(l, "TALB", settings_.album, id3tag_set_album);
        if (settings_.track > 0) id3tag_set_track(l, std::to_string(settings_.track).c_str());
    }
    if (lame_init_params(l) < 0) {
        lame_close(l);
        *error = "the MP3 encoder refused its settings";
        return nullptr;
    }
    return l;
}

bool Mp3Encoder::put(const std::vector<unsigned char>& bytes) {
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size())
        return fail(std::strerror(errno));
    return true;
}

bool Mp3Encoder::start() {
    // An encoder set up as the stretches' are, with the file's tags: it gives both tags and
    // the delay and frame size every stretch will have.
    std::string error;
    lame_global_flags* l = Lame(newEncoder(&error, true));
    if (!l) return fail(error);
    std::vector<unsigned char> leading(lame_get_id3v2_tag(l, nullptr, 0));
    lame_get_id3v2_tag(l, leading.data(), leading.size());
    closingTag_.resize(128);
    closingTag_.resize(lame_get_id3v1_tag(l, closingTag_.data(), closingTag_.size()));
    delay_ = std::size_t(lame_get_encoder_delay(l));
    frameSize_ = std::size_t(lame_get_framesize(l));
    lame_close(l);
    if (!put(leading)) return false;
    for (unsigned i = 0; i < settings_.workers; ++i)
        workers_.emplace_back([this] { work(); });
    return true;
}

void Mp3Encoder::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        std::shared_ptr<Stretch> stretch;
        changed_.wait(lock, [&] {
            if (stop_) return true;
            for (auto& s : stretches_)
                if (!s->taken) {
                    stretch = s;
                    return true;
                }
            return false;
        });
        if (!stretch) return;
        stretch->taken = true;
        lock.unlock();
        std::string error;
        if (lame_global_flags* l = Lame(newEncoder(&error, false))) {
            const std::vector<std::int16_t>& sound = stretch->sound;
            stretch->mp3.resize(Mp3Bound(sound.size()));
            // Mono: the right channel is not read.
            int made =
                lame_encode_buffer(l, sound.data(), sound.data(), static_cast<int>(sound.size()),
                                   stretch->mp3.data(), static_cast<int>(stretch->mp3.size()));
            int flushed = 0;
            if (made >= 0)
                flushed = lame_encode_flush(l, stretch->mp3.data() + made,
                                            static_cast<int>(stretch->mp3.size()) - made);
            if (made < 0 || flushed < 0)
                error = "the MP3 encoder failed (" + std::to_string(std::min(made, flushed)) + ")";
            else
                stretch->mp3.resize(std::size_t(made + flushed));
            lame_close(l);
        }
        std::vector<std::int16_t>().swap(stretch->sound);
        lock.lock();
        stretch->error = std::move(error);
        stretch->done = true;
        changed_.notify_all();
    }
}

std::size_t Mp3Encoder::joinSamples(std::size_t samples) const {
    // The encoder pads its last frame and adds at least a granule more, as it does at the end
    // of any file; the next stretch starts with the encoder's delay.
    std::size_t padding = frameSize_ - (samples + delay_) % frameSize_;
    if (padding < 576) padding += frameSize_;
    return padding + delay_;
}

void Mp3Encoder::submit() {
    auto stretch = std::make_shared<Stretch>();
    ++stretchCount_;
    stretch->sound.swap(gathering_);
    {
        std::lock_guard lock(mutex_);
        stretches_.push_back(std::move(stretch));
    }
    changed_.notify_all();
}

bool Mp3Encoder::drain(bool all) {
    // Stretches waiting or under way: enough to keep every worker busy, few enough to bound
    // the memory.
    const std::size_t most = std::size_t(settings_.workers) * 2;
    std::unique_lock lock(mutex_);
    while (!stretches_.empty()) {
        std::shared_ptr<Stretch> front = stretches_.front();
        if (!front->done) {
            if (!all && stretches_.size() < most) return true;
            changed_.wait(lock, [&] { return front->done; });
            continue;
        }
        stretches_.pop_front();
        lock.unlock();
        if (!front->error.empty()) return fail(front->error);
        if (!put(front->mp3)) return false;
        lock.lock();
    }
    return true;
}

bool Mp3Encoder::write(const std::int16_t* samples, std::size_t count) {
    if (!reason_.empty()) return false;
    const std::size_t rate = std::size_t(settings_.rate);
    // A pause that takes the whole join (up to two frames) is cut at once; otherwise the
    // longest one sought, if it lasts 20 ms, which a word's stop consonants rarely do.
    const std::size_t longPause = kDecay + delay_ + 2 * frameSize_;
    const std::size_t shortPause = rate / 50;
    const std::size_t deadline = settings_.stretchSamples + settings_.seekSamples;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int16_t s = samples[i];
        const bool quiet = s <= kQuiet && s >= -kQuiet;
        if (toSkip_ > 0) {
            if (quiet) {
                --toSkip_;
                continue;
            }
            toSkip_ = 0;
        }
        gathering_.push_back(s);
        quietRun_ = quiet ? quietRun_ + 1 : 0;
        const std::size_t size = gathering_.size();
        if (size < settings_.stretchSamples) continue;
        if (quietRun_ > bestPause_) {
            bestPause_ = quietRun_;
            bestPauseEnd_ = size;
        }
        if (quietRun_ >= longPause || (size >= deadline && bestPause_ >= shortPause)) {
            if (!cut(bestPauseEnd_, bestPause_)) return false;
        }
    }
    return true;
}

bool Mp3Encoder::cut(std::size_t pauseEnd, std::size_t pause) {
    // The stretch keeps the pause's first moments; the join's own silence takes the place of
    // as much of the rest as it can, and what follows opens the next stretch.
    const std::size_t cut = pauseEnd - pause + std::min(pause, kDecay);
    const std::size_t join = joinSamples(cut);
    const std::size_t dropped = std::min(join, pauseEnd - cut);
    std::vector<std::int16_t> rest(gathering_.begin() + std::ptrdiff_t(cut + dropped),
                                   gathering_.end());
    const bool pauseGoesOn = pauseEnd == gathering_.size();
    gathering_.resize(cut);
    submit();
    gathering_ = std::move(rest);
    quietRun_ = std::min(quietRun_, gathering_.size());
    toSkip_ = pauseGoesOn ? join - dropped : 0;
    bestPause_ = bestPauseEnd_ = 0;
    return drain(false);
}

bool Mp3Encoder::finish() {
    if (!reason_.empty()) return false;
    if (!gathering_.empty()) submit();
    if (!drain(true)) return false;
    return put(closingTag_);
}

}  // namespace vernalo
