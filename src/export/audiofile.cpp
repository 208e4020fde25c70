#include "export/audiofile.h"

#include <samplerate.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace vernalo {

namespace {

// Speech needs no more: a mono voice at the engine's rate sounds the same at higher rates.
constexpr int kMp3KilobitsPerSecond = 48;
// The encoder's speed against care (0 best, 9 fastest): speech at this rate sounds the same.
constexpr int kMp3Quality = 7;
// Opus takes only a few rates; the nearest one above the engine's keeps all of its sound.
constexpr int kOpusRate = 24000;

SNDFILE* Sf(void* p) {
    return static_cast<SNDFILE*>(p);
}
SRC_STATE* Src(void* p) {
    return static_cast<SRC_STATE*>(p);
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

int SfFormat(AudioFormat format) {
    switch (format) {
        case AudioFormat::Wav:
            return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        case AudioFormat::Flac:
            return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
        case AudioFormat::Vorbis:
            return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        case AudioFormat::Opus:
            return SF_FORMAT_OGG | SF_FORMAT_OPUS;
        case AudioFormat::Mp3:
            return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    }
    return 0;
}

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

}  // namespace

std::optional<AudioFormat> FormatForPath(const std::string& path) {
    const std::string suffix = Lower(std::filesystem::path(path).extension().string());
    if (suffix == ".wav") return AudioFormat::Wav;
    if (suffix == ".flac") return AudioFormat::Flac;
    if (suffix == ".ogg" || suffix == ".oga") return AudioFormat::Vorbis;
    if (suffix == ".opus") return AudioFormat::Opus;
    if (suffix == ".mp3") return AudioFormat::Mp3;
    return std::nullopt;
}

const char* KnownSuffixes() {
    return ".mp3, .opus, .ogg, .flac or .wav";
}

AudioFile::AudioFile(std::string path, AudioFormat format, std::string title)
    : path_(std::move(path)), format_(format), title_(std::move(title)) {}

AudioFile::~AudioFile() {
    if (sndfile_) sf_close(Sf(sndfile_));
    if (resampler_) src_delete(Src(resampler_));
    mp3_.reset();
    if (mp3File_) std::fclose(mp3File_);
    if (!committed_ && !tempPath_.empty()) std::remove(tempPath_.c_str());
}

bool AudioFile::fail(const std::string& reason) {
    if (error_.empty()) error_ = "cannot write " + Quoted(path_) + ": " + reason;
    return false;
}

bool AudioFile::open(std::string* error) {
    const std::filesystem::path target(path_);
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
    std::string pattern = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        fail(std::strerror(errno));
        if (error) *error = error_;
        return false;
    }
    tempPath_ = pattern;
    // mkstemp makes the file private; the export is an ordinary file of the user's.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);

    if (format_ == AudioFormat::Mp3) {
        if (openMp3(fd)) return true;
        if (!mp3File_) ::close(fd);
        if (error) *error = error_;
        return false;
    }
    if (format_ == AudioFormat::Opus) {
        int status = 0;
        resampler_ = src_new(SRC_SINC_FASTEST, 1, &status);
        fileRate_ = kOpusRate;
    }
    SF_INFO info{};
    info.samplerate = fileRate_;
    info.channels = 1;
    info.format = SfFormat(format_);
    sndfile_ = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (!sndfile_) {
        ::close(fd);
        fail(sf_strerror(nullptr));
        if (error) *error = error_;
        return false;
    }
    // Formats without tags refuse them; the sound is what matters. A file without a title
    // (vernalo-cli's --wav) gets no tags: a plain WAV file is just its header and samples.
    if (!title_.empty()) {
        sf_set_string(Sf(sndfile_), SF_STR_TITLE, title_.c_str());
        sf_set_string(Sf(sndfile_), SF_STR_ARTIST, "Vernalo");
    }
    return true;
}

bool AudioFile::openMp3(int fd) {
    mp3File_ = ::fdopen(fd, "wb");
    if (!mp3File_) return fail(std::strerror(errno));
    Mp3Settings settings;
    settings.rate = kSampleRate;
    settings.kilobitsPerSecond = kMp3KilobitsPerSecond;
    settings.quality = kMp3Quality;
    settings.title = title_;
    settings.artist = "Vernalo";
    mp3_ = std::make_unique<Mp3Encoder>(mp3File_, std::move(settings));
    return mp3_->start() || fail(mp3_->reason());
}

bool AudioFile::closeMp3() {
    if (error_.empty() && !mp3_->finish()) fail(mp3_->reason());
    mp3_.reset();
    if (error_.empty() && (std::fflush(mp3File_) != 0 || ::fsync(::fileno(mp3File_)) != 0))
        fail(std::strerror(errno));
    if (std::fclose(mp3File_) != 0 && error_.empty()) fail(std::strerror(errno));
    mp3File_ = nullptr;
    return error_.empty();
}

bool AudioFile::writeResampled(const std::int16_t* samples, std::size_t count, bool last) {
    in_.resize(count);
    src_short_to_float_array(samples, in_.data(), static_cast<int>(count));
    const double ratio = double(fileRate_) / kSampleRate;
    out_.resize(static_cast<std::size_t>(double(count) * ratio) + 256);
    SRC_DATA data{};
    data.data_in = in_.data();
    data.input_frames = static_cast<long>(count);
    data.src_ratio = ratio;
    data.end_of_input = last ? 1 : 0;
    // The converter holds some input back; the last call drains it.
    for (;;) {
        data.data_out = out_.data();
        data.output_frames = static_cast<long>(out_.size());
        if (int status = src_process(Src(resampler_), &data)) return fail(src_strerror(status));
        const auto made = static_cast<sf_count_t>(data.output_frames_gen);
        if (made > 0 && sf_write_float(Sf(sndfile_), out_.data(), made) != made)
            return fail(errno ? std::strerror(errno) : sf_strerror(Sf(sndfile_)));
        data.data_in += data.input_frames_used;
        data.input_frames -= data.input_frames_used;
        if (data.input_frames == 0 && (!last || made == 0)) return true;
    }
}

void AudioFile::write(const std::int16_t* samples, std::size_t count) {
    std::lock_guard lock(mutex_);
    if ((!sndfile_ && !mp3_) || !error_.empty() || count == 0) return;
    errno = 0;
    if (mp3_) {
        if (!mp3_->write(samples, count)) {
            fail(mp3_->reason());
            return;
        }
    } else if (resampler_) {
        if (!writeResampled(samples, count, false)) return;
    } else if (sf_write_short(Sf(sndfile_), samples, static_cast<sf_count_t>(count)) !=
               static_cast<sf_count_t>(count)) {
        fail(errno ? std::strerror(errno) : sf_strerror(Sf(sndfile_)));
        return;
    }
    samples_ += count;
}

bool AudioFile::failed() const {
    std::lock_guard lock(mutex_);
    return !error_.empty();
}

double AudioFile::seconds() const {
    std::lock_guard lock(mutex_);
    return double(samples_) / kSampleRate;
}

bool AudioFile::close(std::string* error) {
    std::lock_guard lock(mutex_);
    if (mp3_) closeMp3();
    if (sndfile_) {
        errno = 0;
        if (resampler_ && error_.empty()) writeResampled(nullptr, 0, true);
        if (error_.empty()) sf_write_sync(Sf(sndfile_));
        const int status = sf_close(Sf(sndfile_));
        sndfile_ = nullptr;
        if (status != 0) fail(errno ? std::strerror(errno) : sf_error_number(status));
    }
    if (error_.empty() && tempPath_.empty()) fail("it was not opened");
    if (!error_.empty() && error) *error = error_;
    return error_.empty();
}

bool AudioFile::commit(std::string* error) {
    if (std::rename(tempPath_.c_str(), path_.c_str()) != 0) {
        std::lock_guard lock(mutex_);
        fail(std::strerror(errno));
        if (error) *error = error_;
        return false;
    }
    committed_ = true;
    return true;
}

AudioFileSet::AudioFileSet(std::string path, AudioFormat format, std::string title, bool numbered)
    : path_(std::move(path)), format_(format), title_(std::move(title)), numbered_(numbered) {}

std::string AudioFileSet::partPath(std::size_t number) const {
    if (!numbered_) return path_;
    const std::filesystem::path p(path_);
    char digits[16];
    std::snprintf(digits, sizeof digits, "-%02zu", number);
    return (p.parent_path() / (p.stem().string() + digits + p.extension().string())).string();
}

// Sound waiting for the encoder, in samples: a few seconds, so that a slower encoder holds
// the synthesis back instead of filling the memory.
constexpr std::size_t kQueuedSamples = std::size_t(kSampleRate) * 8;
constexpr std::size_t kBlockSamples = kSampleRate / 2;

AudioFileSet::~AudioFileSet() {
    abort();
}

bool AudioFileSet::open(std::string* error) {
    abort();
    stop_ = false;
    error_.clear();
    partSamples_ = totalSamples_ = 0;
    if (!startPart(error)) return false;
    encoder_ = std::thread([this] { encode(); });
    return true;
}

bool AudioFileSet::startPart(std::string* error) {
    if (!parts_.empty() && !parts_.back()->close(error)) return false;
    const std::size_t number = parts_.size() + 1;
    const std::string title = numbered_ ? title_ + " " + std::to_string(number) : title_;
    parts_.push_back(std::make_unique<AudioFile>(partPath(number), format_, title));
    return parts_.back()->open(error);
}

void AudioFileSet::encode() {
    std::unique_lock lock(mutex_);
    for (;;) {
        // The last block fills while the ones before it wait to be encoded.
        changed_.wait(lock, [this] { return stop_ || queue_.size() > 1; });
        if (queue_.empty()) return;  // stopped with everything encoded
        Block block = std::move(queue_.front());
        queue_.pop_front();
        queued_ -= block.samples.size();
        changed_.notify_all();
        const bool failed = !error_.empty();
        lock.unlock();
        std::string error;
        if (failed) {
            // Nothing more is encoded; the queue only drains.
        } else if (block.samples.empty()) {
            startPart(&error);
        } else {
            parts_.back()->write(block.samples.data(), block.samples.size());
            // A full disk stops the export now rather than after the whole text.
            if (parts_.back()->failed()) parts_.back()->close(&error);
        }
        lock.lock();
        if (error_.empty() && !error.empty()) error_ = error;
    }
}

void AudioFileSet::write(const std::int16_t* samples, std::size_t count) {
    if (count == 0) return;
    std::unique_lock lock(mutex_);
    if (!encoder_.joinable() || stop_) return;
    // The encoder leaves the last block to fill: with only that one queued, however long (a
    // whole sentence written at once), waiting for it would wait for ever.
    changed_.wait(lock, [this] { return stop_ || queued_ < kQueuedSamples || queue_.size() < 2; });
    if (stop_) return;
    queued_ += count;
    partSamples_ += count;
    totalSamples_ += count;
    // The engine hands over a few hundredths of a second at a time: gathered into blocks, they
    // cost the encoder one wake-up and one write each.
    if (!queue_.empty() && !queue_.back().samples.empty() &&
        queue_.back().samples.size() < kBlockSamples) {
        queue_.back().samples.insert(queue_.back().samples.end(), samples, samples + count);
        return;
    }
    queue_.push_back(Block{std::vector<std::int16_t>(samples, samples + count)});
    queue_.back().samples.reserve(kBlockSamples + count);
    if (queue_.size() > 1) changed_.notify_all();
}

void AudioFileSet::nextPart() {
    std::lock_guard lock(mutex_);
    if (!encoder_.joinable() || stop_) return;
    queue_.push_back(Block{});
    partSamples_ = 0;
    changed_.notify_all();
}

void AudioFileSet::stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (encoder_.joinable()) encoder_.join();
}

void AudioFileSet::abort() {
    {
        std::lock_guard lock(mutex_);
        queue_.clear();
        queued_ = 0;
    }
    stop();
    parts_.clear();
}

bool AudioFileSet::failed() const {
    std::lock_guard lock(mutex_);
    return !error_.empty();
}

bool AudioFileSet::finish(std::string* error) {
    stop();
    if (parts_.empty()) {
        if (error) *error = "cannot write '" + path_ + "': it was not opened";
        return false;
    }
    if (!error_.empty()) {
        if (error) *error = error_;
        abort();
        return false;
    }
    if (!parts_.back()->close(error)) {
        abort();
        return false;
    }
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        if (!parts_[i]->commit(error)) {
            // The parts already renamed go too: an export is whole or absent.
            for (std::size_t j = 0; j < i; ++j)
                std::remove(parts_[j]->path().c_str());
            abort();
            return false;
        }
    }
    return true;
}

double AudioFileSet::partSeconds() const {
    std::lock_guard lock(mutex_);
    return double(partSamples_) / kSampleRate;
}

double AudioFileSet::totalSeconds() const {
    std::lock_guard lock(mutex_);
    return double(totalSamples_) / kSampleRate;
}

std::vector<std::string> AudioFileSet::paths() const {
    std::vector<std::string> paths;
    for (const auto& part : parts_)
        paths.push_back(part->path());
    return paths;
}

}  // namespace vernalo
