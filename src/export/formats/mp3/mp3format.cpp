// MP3 through the encoder library itself: libsndfile fixes it at its slowest quality setting,
// which takes several times as long as the synthesis.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "export/formats/audioformat.h"
#include "export/formats/mp3/mp3encoder.h"
#include "export/formats/tags/booktags.h"
#include "speech/audiooutput.h"

namespace vernalo {

namespace {

// Speech needs no more: a mono voice at the engine's rate sounds the same at higher rates.
constexpr int kMp3KilobitsPerSecond = 48;
// The encoder's speed against care (0 best, 9 fastest): speech at this rate sounds the same.
constexpr int kMp3Quality = 7;

class Mp3FileEncoder : public AudioEncoder {
public:
    ~Mp3FileEncoder() override {
        encoder_.reset();
        if (file_) std::fclose(file_);
    }

    bool open(int fd, const AudioTags& tags) override {
        file_ = ::fdopen(fd, "wb");
        if (!file_) {
            ::close(fd);
            return fail(std::strerror(errno));
        }
        Mp3Settings settings;
        settings.rate = kSampleRate;
        settings.kilobitsPerSecond = kMp3KilobitsPerSecond;
        settings.quality = kMp3Quality;
        settings.title = tags.title;
        settings.artist = tags.artist;
        settings.album = tags.album;
        settings.track = tags.track;
        tags_ = tags;
        encoder_ = std::make_unique<Mp3Encoder>(file_, std::move(settings));
        if (!encoder_->start()) return fail(encoder_->reason());
        // Players hear the encoder's delay and the decoder's before the first sample.
        lead_ = static_cast<std::int64_t>(encoder_->delay()) + kMp3DecoderDelay;
        return true;
    }

    bool write(const std::int16_t* samples, std::size_t count) override {
        return encoder_->write(samples, count) || fail(encoder_->reason());
    }

    bool close(const PartTimeline& part) override {
        if (!file_) return error().empty();
        if (error().empty() && !encoder_->finish()) fail(encoder_->reason());
        encoder_.reset();
        const bool tagged = WantsBookTags(tags_);
        if (error().empty() &&
            (std::fflush(file_) != 0 || (!tagged && ::fsync(::fileno(file_)) != 0)))
            fail(std::strerror(errno));
        // The book's frames go into the leading tag once the sound is written.
        const int fd = tagged && error().empty() ? ::dup(::fileno(file_)) : -1;
        if (std::fclose(file_) != 0) fail(std::strerror(errno));
        file_ = nullptr;
        std::string why;
        if (fd >= 0 && !AddBookTags(fd, TaggedFile::Mp3, tags_, part, lead_, &why)) fail(why);
        return error().empty();
    }

    std::int64_t decodedLead() const override { return lead_; }

private:
    // Samples an MP3 decoder outputs before the encoder's first.
    static constexpr std::int64_t kMp3DecoderDelay = 529;

    std::FILE* file_ = nullptr;
    AudioTags tags_;
    std::unique_ptr<Mp3Encoder> encoder_;
    std::int64_t lead_ = 0;
};

constexpr const char* kMp3Suffixes[] = {"mp3"};

std::unique_ptr<AudioEncoder> MakeMp3() {
    return std::make_unique<Mp3FileEncoder>();
}

}  // namespace

extern const AudioFormat kMp3Format{.name = "MP3",
                                    .suffixes = kMp3Suffixes,
                                    .tags = true,
                                    .chapters = true,
                                    .cover = true,
                                    .makeEncoder = MakeMp3};

}  // namespace vernalo
