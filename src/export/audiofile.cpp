#include "export/audiofile.h"

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

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

}  // namespace

AudioFile::AudioFile(std::string path, const AudioFormat& format, AudioTags tags)
    : path_(std::move(path)), format_(format), tags_(std::move(tags)) {}

AudioFile::~AudioFile() {
    encoder_.reset();
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
    encoder_ = format_.makeEncoder();
    if (!encoder_->open(fd, tags_)) {
        fail(encoder_->error());
        if (error) *error = error_;
        return false;
    }
    open_ = true;
    return true;
}

void AudioFile::write(const std::int16_t* samples, std::size_t count) {
    std::lock_guard lock(mutex_);
    if (!open_ || !error_.empty() || count == 0) return;
    if (!encoder_->write(samples, count)) {
        fail(encoder_->error());
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

bool AudioFile::close(const PartTimeline& part, std::string* error) {
    std::lock_guard lock(mutex_);
    if (open_) {
        open_ = false;
        if (!encoder_->close(part)) fail(encoder_->error());
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

AudioFileSet::AudioFileSet(std::string path, const AudioFormat& format, std::string title,
                           bool numbered)
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

NamedPart AudioFileSet::partName(std::size_t number, const std::optional<NamedPart>& name) const {
    if (name) return *name;
    return {partPath(number), numbered_ ? title_ + " " + std::to_string(number) : title_, 0};
}

bool AudioFileSet::open(std::string* error, std::optional<NamedPart> first) {
    abort();
    stop_ = false;
    error_.clear();
    partSamples_ = totalSamples_ = 0;
    const NamedPart name = partName(1, first);
    timeline_ = {};
    timeline_.parts.push_back({name.path, name.title, 0, 0, {}, {}});
    if (!startPart(error, name)) return false;
    encoder_ = std::thread([this] { encode(); });
    return true;
}

bool AudioFileSet::startPart(std::string* error, const NamedPart& name) {
    AudioTags tags = tags_;
    tags.title = name.title;
    tags.track = name.track;
    parts_.push_back(std::make_unique<AudioFile>(name.path, format_, std::move(tags)));
    if (!parts_.back()->open(error)) return false;
    std::lock_guard lock(mutex_);
    timeline_.parts[parts_.size() - 1].decodedLead = parts_.back()->decodedLead();
    return true;
}

void AudioFileSet::encode() {
    std::unique_lock lock(mutex_);
    for (;;) {
        // The last block fills while the ones before it wait to be encoded, unless it alone
        // holds as much as may wait: the writer then waits for it.
        changed_.wait(lock, [this] {
            return stop_ || queue_.size() > 1 || (!queue_.empty() && queued_ >= kQueuedSamples);
        });
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
            if (parts_.back()->close(block.ended, &error)) startPart(&error, *block.name);
        } else {
            parts_.back()->write(block.samples.data(), block.samples.size());
            // A full disk stops the export now rather than after the whole text.
            if (parts_.back()->failed()) parts_.back()->close({}, &error);
        }
        lock.lock();
        if (error_.empty() && !error.empty()) error_ = error;
    }
}

void AudioFileSet::write(const std::int16_t* samples, std::size_t count) {
    if (count == 0) return;
    std::unique_lock lock(mutex_);
    if (!encoder_.joinable() || stop_) return;
    changed_.wait(lock, [this] { return stop_ || queued_ < kQueuedSamples; });
    if (stop_) return;
    queued_ += count;
    partSamples_ += count;
    totalSamples_ += count;
    // The engine hands over a few hundredths of a second at a time: gathered into blocks, they
    // cost the encoder one wake-up and one write each.
    if (!queue_.empty() && !queue_.back().samples.empty() &&
        queue_.back().samples.size() < kBlockSamples) {
        queue_.back().samples.insert(queue_.back().samples.end(), samples, samples + count);
        if (queued_ >= kQueuedSamples) changed_.notify_all();
        return;
    }
    queue_.push_back(Block{std::vector<std::int16_t>(samples, samples + count), std::nullopt, {}});
    queue_.back().samples.reserve(kBlockSamples + count);
    if (queue_.size() > 1 || queued_ >= kQueuedSamples) changed_.notify_all();
}

void AudioFileSet::nextPart(std::optional<NamedPart> next) {
    std::lock_guard lock(mutex_);
    if (!encoder_.joinable() || stop_) return;
    const NamedPart name = partName(timeline_.parts.size() + 1, next);
    timeline_.parts.back().samples = static_cast<std::int64_t>(partSamples_);
    queue_.push_back(Block{{}, name, timeline_.parts.back()});
    timeline_.parts.push_back({name.path, name.title, 0, 0, {}, {}});
    partSamples_ = 0;
    changed_.notify_all();
}

void AudioFileSet::markChapter(std::string title, long textStart) {
    std::lock_guard lock(mutex_);
    if (timeline_.parts.empty()) return;
    timeline_.parts.back().chapters.push_back(
        {std::move(title), textStart, static_cast<std::int64_t>(partSamples_)});
}

void AudioFileSet::beginPiece(TimedPiece piece) {
    std::lock_guard lock(mutex_);
    if (timeline_.parts.empty()) return;
    piece.start = piece.end = static_cast<std::int64_t>(partSamples_);
    timeline_.parts.back().pieces.push_back(std::move(piece));
}

void AudioFileSet::endPiece(const std::vector<TimedWord>& words) {
    std::lock_guard lock(mutex_);
    if (timeline_.parts.empty() || timeline_.parts.back().pieces.empty()) return;
    TimedPiece& piece = timeline_.parts.back().pieces.back();
    piece.end = static_cast<std::int64_t>(partSamples_);
    for (TimedWord w : words) {
        w.start += piece.start;
        w.end += piece.start;
        piece.words.push_back(w);
    }
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
    timeline_.parts.back().samples = static_cast<std::int64_t>(partSamples_);
    if (!parts_.back()->close(timeline_.parts.back(), error)) {
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

std::vector<std::pair<double, std::string>> AudioFileSet::partLengths() const {
    std::vector<std::pair<double, std::string>> lengths;
    for (const auto& part : parts_)
        lengths.emplace_back(part->seconds(), part->title());
    return lengths;
}

std::vector<std::string> AudioFileSet::paths() const {
    std::vector<std::string> paths;
    for (const auto& part : parts_)
        paths.push_back(part->path());
    return paths;
}

}  // namespace vernalo
