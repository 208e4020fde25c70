// The formats libsndfile writes: WAV, FLAC, Ogg Vorbis and Ogg Opus.

#include <samplerate.h>
#include <sndfile.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "export/formats/audioformat.h"
#include "export/formats/tags/booktags.h"
#include "speech/audiooutput.h"

namespace vernalo {

namespace {

// Opus takes only a few rates; the nearest one above the engine's keeps all of its sound.
constexpr int kOpusRate = 24000;

class SndfileEncoder : public AudioEncoder {
public:
    SndfileEncoder(int format, int rate) : format_(format), rate_(rate) {}
    ~SndfileEncoder() override {
        if (file_) sf_close(file_);
        if (fd_ >= 0) ::close(fd_);
        if (resampler_) src_delete(resampler_);
    }

    bool open(int fd, const AudioTags& tags) override {
        if (rate_ != kSampleRate) {
            int status = 0;
            resampler_ = src_new(SRC_SINC_FASTEST, 1, &status);
        }
        SF_INFO info{};
        info.samplerate = rate_;
        info.channels = 1;
        info.format = format_;
        // A book's tags are added once the sound is written, through the same descriptor.
        if (WantsBookTags(tags) && taggedKind()) {
            tags_ = tags;
            fd_ = fd;
        }
        file_ = sf_open_fd(fd, SFM_WRITE, &info, fd_ < 0 ? SF_TRUE : SF_FALSE);
        if (!file_) {
            ::close(fd);
            fd_ = -1;
            return fail(sf_strerror(nullptr));
        }
        if (!tags.year.empty()) sf_set_string(file_, SF_STR_DATE, tags.year.c_str());
        // Formats without tags refuse them; the sound is what matters. A file without a title
        // gets no tags: a plain WAV file is just its header and samples.
        if (!tags.title.empty()) {
            sf_set_string(file_, SF_STR_TITLE, tags.title.c_str());
            sf_set_string(file_, SF_STR_ARTIST, tags.artist.c_str());
            if (!tags.album.empty()) sf_set_string(file_, SF_STR_ALBUM, tags.album.c_str());
            if (tags.track > 0)
                sf_set_string(file_, SF_STR_TRACKNUMBER, std::to_string(tags.track).c_str());
        }
        return true;
    }

    bool write(const std::int16_t* samples, std::size_t count) override {
        errno = 0;
        if (resampler_) return writeResampled(samples, count, false);
        if (sf_write_short(file_, samples, static_cast<sf_count_t>(count)) !=
            static_cast<sf_count_t>(count))
            return fail(errno ? std::strerror(errno) : sf_strerror(file_));
        return true;
    }

    bool close(const PartTimeline& part) override {
        if (!file_) return error().empty();
        errno = 0;
        if (resampler_ && error().empty()) writeResampled(nullptr, 0, true);
        if (error().empty()) sf_write_sync(file_);
        const int status = sf_close(file_);
        file_ = nullptr;
        if (status != 0) fail(errno ? std::strerror(errno) : sf_error_number(status));
        if (fd_ >= 0) {
            std::string why;
            if (error().empty() &&
                !AddBookTags(std::exchange(fd_, -1), *taggedKind(), tags_, part, 0, &why))
                fail(why);
        }
        return error().empty();
    }

private:
    // How the file takes a book's tags; none for WAV.
    std::optional<TaggedFile> taggedKind() const {
        switch (format_ & SF_FORMAT_SUBMASK) {
            case SF_FORMAT_VORBIS:
                return TaggedFile::OggVorbis;
            case SF_FORMAT_OPUS:
                return TaggedFile::OggOpus;
            default:
                break;
        }
        if ((format_ & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC) return TaggedFile::Flac;
        return std::nullopt;
    }

    bool writeResampled(const std::int16_t* samples, std::size_t count, bool last) {
        in_.resize(count);
        src_short_to_float_array(samples, in_.data(), static_cast<int>(count));
        const double ratio = double(rate_) / kSampleRate;
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
            if (int status = src_process(resampler_, &data)) return fail(src_strerror(status));
            const auto made = static_cast<sf_count_t>(data.output_frames_gen);
            if (made > 0 && sf_write_float(file_, out_.data(), made) != made)
                return fail(errno ? std::strerror(errno) : sf_strerror(file_));
            data.data_in += data.input_frames_used;
            data.input_frames -= data.input_frames_used;
            if (data.input_frames == 0 && (!last || made == 0)) return true;
        }
    }

    int format_;
    int rate_;
    SNDFILE* file_ = nullptr;
    SRC_STATE* resampler_ = nullptr;
    int fd_ = -1;     // kept open after the sound when a book's tags follow
    AudioTags tags_;  // for formats that cannot take the engine's rate
    std::vector<float> in_, out_;
};

template <int Format, int Rate = kSampleRate>
std::unique_ptr<AudioEncoder> Make() {
    return std::make_unique<SndfileEncoder>(Format, Rate);
}

constexpr const char* kWavSuffixes[] = {"wav"};
constexpr const char* kFlacSuffixes[] = {"flac"};
constexpr const char* kVorbisSuffixes[] = {"ogg", "oga"};
constexpr const char* kOpusSuffixes[] = {"opus"};

}  // namespace

extern const AudioFormat kWavFormat{.name = "WAV",
                                    .suffixes = kWavSuffixes,
                                    .tags = true,
                                    .makeEncoder = Make<SF_FORMAT_WAV | SF_FORMAT_PCM_16>};
extern const AudioFormat kFlacFormat{.name = "FLAC",
                                     .suffixes = kFlacSuffixes,
                                     .tags = true,
                                     .chapters = true,
                                     .cover = true,
                                     .makeEncoder = Make<SF_FORMAT_FLAC | SF_FORMAT_PCM_16>};
extern const AudioFormat kVorbisFormat{.name = "Ogg Vorbis",
                                       .suffixes = kVorbisSuffixes,
                                       .tags = true,
                                       .chapters = true,
                                       .cover = true,
                                       .makeEncoder = Make<SF_FORMAT_OGG | SF_FORMAT_VORBIS>};
extern const AudioFormat kOpusFormat{
    .name = "Ogg Opus",
    .suffixes = kOpusSuffixes,
    .tags = true,
    .chapters = true,
    .cover = true,
    .makeEncoder = Make<SF_FORMAT_OGG | SF_FORMAT_OPUS, kOpusRate>};

}  // namespace vernalo
