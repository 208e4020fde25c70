#include "speech/deviceoutput.h"

#include <utility>

namespace vernalo {

DeviceOutput::DeviceOutput(Opener open, std::string* error) : open_(std::move(open)) {
    std::unique_ptr<PlaybackOutput> device = open_(error);
    const bool missing = !device;
    adopt(missing ? std::make_unique<NullOutput>() : std::move(device), missing);
}

DeviceOutput::~DeviceOutput() {
    // The device's audio thread must not report into a half-gone output.
    device_->setListener({});
}

std::unique_ptr<PlaybackOutput> DeviceOutput::adopt(std::unique_ptr<PlaybackOutput> device,
                                                    bool lost) {
    // The device before stops reporting first, so that a late report of it never marks the
    // new one lost; one that fails at once is marked so by its own report.
    if (device_) device_->setListener({});
    lost_ = lost;
    OutputListener listener;
    listener.lost = [this](const std::string& why) {
        lost_ = true;
        tellLost(why);
    };
    device->setListener(std::move(listener));
    std::lock_guard lock(mutex_);
    if (device_) {
        // All it was given counts as heard or dropped, as after a reset.
        device_->reset();
        before_ += written_;
        written_ = 0;
    }
    std::swap(device_, device);
    return device;
}

bool DeviceOutput::reopen(std::string* error) {
    if (!lost_) return true;
    std::unique_ptr<PlaybackOutput> device = open_(error);
    if (!device) return false;
    // The device before goes outside the lock: closing it may wait for its audio thread.
    adopt(std::move(device), false).reset();
    tellBack();
    return true;
}

void DeviceOutput::write(const std::int16_t* samples, std::size_t count) {
    std::lock_guard lock(mutex_);
    device_->write(samples, count);
    written_ += static_cast<std::int64_t>(count);
}

bool DeviceOutput::playing() const {
    std::lock_guard lock(mutex_);
    return device_->playing();
}

void DeviceOutput::reset() {
    std::lock_guard lock(mutex_);
    device_->reset();
}

void DeviceOutput::flush() {
    std::lock_guard lock(mutex_);
    device_->flush();
}

std::optional<std::int64_t> DeviceOutput::heard() const {
    std::lock_guard lock(mutex_);
    const std::optional<std::int64_t> heard = device_->heard();
    if (!heard) return std::nullopt;
    return before_ + *heard;
}

std::chrono::milliseconds DeviceOutput::handOver() const {
    std::lock_guard lock(mutex_);
    return device_->handOver();
}

}  // namespace vernalo
