#include "speech/audiooutput.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vernalo {

void NullOutput::Write(const std::int16_t*, std::size_t count) {
    const auto duration = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(count) / kSampleRate));
    std::lock_guard lock(mutex_);
    end_ = std::max(end_, Clock::now()) + duration;
    written_ += static_cast<std::int64_t>(count);
}

bool NullOutput::Playing() const {
    std::lock_guard lock(mutex_);
    return Clock::now() < end_;
}

std::int64_t NullOutput::Unheard() const {
    std::lock_guard lock(mutex_);
    const double left = std::chrono::duration<double>(end_ - Clock::now()).count();
    return left <= 0 ? 0 : std::min(written_, static_cast<std::int64_t>(left * kSampleRate));
}

std::optional<std::int64_t> NullOutput::Heard() const {
    const std::int64_t unheard = Unheard();
    std::lock_guard lock(mutex_);
    return written_ - unheard;
}

void NullOutput::Reset() {
    std::lock_guard lock(mutex_);
    end_ = Clock::time_point{};
}

namespace {

void PutLE(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string WavHeader(std::size_t samples) {
    const auto dataBytes = static_cast<std::uint32_t>(samples * 2);
    std::string h = "RIFF";
    PutLE(h, 36 + dataBytes, 4);
    h += "WAVEfmt ";
    PutLE(h, 16, 4);
    PutLE(h, 1, 2);  // PCM
    PutLE(h, 1, 2);  // mono
    PutLE(h, kSampleRate, 4);
    PutLE(h, kSampleRate * 2, 4);
    PutLE(h, 2, 2);
    PutLE(h, 16, 2);
    h += "data";
    PutLE(h, dataBytes, 4);
    return h;
}

}  // namespace

WavOutput::WavOutput(std::string path) : path_(std::move(path)), partPath_(path_ + ".part") {}

WavOutput::~WavOutput() {
    if (file_.is_open()) {
        file_.close();
        std::remove(partPath_.c_str());
    }
}

bool WavOutput::Open(std::string* error) {
    file_.open(partPath_, std::ios::binary | std::ios::trunc);
    const std::string header = WavHeader(0);
    if (!file_ || !file_.write(header.data(), static_cast<std::streamsize>(header.size()))) {
        if (error) *error = "cannot create '" + partPath_ + "'";
        return false;
    }
    return true;
}

void WavOutput::Write(const std::int16_t* samples, std::size_t count) {
    NullOutput::Write(samples, count);
    std::lock_guard lock(mutex_);
    if (!file_.is_open() || failed_) return;
    std::string bytes;
    bytes.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i)
        PutLE(bytes, static_cast<std::uint16_t>(samples[i]), 2);
    if (!file_.write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        failed_ = true;
    else
        samples_ += count;
}

std::size_t WavOutput::SamplesWritten() const {
    std::lock_guard lock(mutex_);
    return samples_;
}

bool WavOutput::Finish(std::string* error) {
    std::lock_guard lock(mutex_);
    if (!file_.is_open()) {
        if (error) *error = "'" + path_ + "' was not opened";
        return false;
    }
    const std::string header = WavHeader(samples_);
    if (samples_ * 2 > 0xFFFFFFFFu - 36) failed_ = true;
    if (!failed_) {
        file_.seekp(0);
        file_.write(header.data(), static_cast<std::streamsize>(header.size()));
        file_.flush();
        failed_ = !file_;
    }
    file_.close();
    if (failed_ || std::rename(partPath_.c_str(), path_.c_str()) != 0) {
        std::remove(partPath_.c_str());
        if (error) *error = "cannot write '" + path_ + "'";
        return false;
    }
    return true;
}

double Rms(const std::int16_t* samples, std::size_t count) {
    if (count == 0) return 0;
    double sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(count));
}

}  // namespace vernalo
