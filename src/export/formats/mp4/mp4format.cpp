// AAC in MP4 (.m4b, .m4a) through FFmpeg: the audiobook players' own format. Chapters go in
// twice, so that players of both kinds find them: as the QuickTime chapter track, which holds
// any number, and as the Nero chapter list, which holds the first 255 (its count is a byte).
// The muxer adds both at the end when the file has chapters by then.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
}
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "export/formats/audioformat.h"
#include "export/formats/tags/booktags.h"
#include "speech/audiooutput.h"

namespace vernalo {

namespace {

// Speech, mono at the engine's rate: as the MP3 export's.
constexpr int kAacBitsPerSecond = 48000;
constexpr int kIoBuffer = 64 * 1024;
// The Nero list gives a title at most 255 bytes; cut on a character, not inside one.
constexpr std::size_t kMostTitleBytes = 255;

std::string AvError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

std::string CutTitle(std::string title) {
    if (title.size() <= kMostTitleBytes) return title;
    std::size_t end = kMostTitleBytes;
    while (end > 0 && (static_cast<unsigned char>(title[end]) & 0xC0) == 0x80)
        --end;
    title.resize(end);
    return title;
}

// A picture's width and height from its header (PNG's IHDR, JPEG's frame header); none when
// it has neither. The muxer asks for them, though `covr` keeps only the bytes.
bool PictureSize(const std::string& b, int* width, int* height) {
    const auto byte = [&b](std::size_t i) { return static_cast<unsigned char>(b[i]); };
    const auto be16 = [&](std::size_t i) { return byte(i) << 8 | byte(i + 1); };
    if (b.size() >= 24 && b.compare(12, 4, "IHDR") == 0) {
        *width = be16(16) << 16 | be16(18);
        *height = be16(20) << 16 | be16(22);
        return *width > 0 && *height > 0;
    }
    // JPEG: segments after the start marker until a frame header (SOF0-SOF15 but DHT, JPG, DAC).
    for (std::size_t i = 2; i + 9 < b.size() && byte(i) == 0xFF; i += 2 + be16(i + 2)) {
        const int marker = byte(i + 1);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            *height = be16(i + 5);
            *width = be16(i + 7);
            return *width > 0 && *height > 0;
        }
    }
    return false;
}

class Mp4Encoder : public AudioEncoder {
public:
    ~Mp4Encoder() override {
        avcodec_free_context(&codec_);
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        if (muxer_) avformat_free_context(muxer_);
        if (io_) av_freep(&io_->buffer);
        avio_context_free(&io_);
        if (fd_ >= 0) ::close(fd_);
    }

    bool open(int fd, const AudioTags& tags) override {
        fd_ = fd;
        tags_ = tags;
        av_log_set_level(AV_LOG_ERROR);  // the muxer's remarks are no user's concern
        const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
        if (!aac) return fail("this FFmpeg has no AAC encoder");
        codec_ = avcodec_alloc_context3(aac);
        frame_ = av_frame_alloc();
        packet_ = av_packet_alloc();
        if (!codec_ || !frame_ || !packet_) return fail(std::strerror(ENOMEM));
        codec_->sample_rate = kSampleRate;
        codec_->sample_fmt = AV_SAMPLE_FMT_FLTP;
        av_channel_layout_default(&codec_->ch_layout, 1);
        codec_->bit_rate = kAacBitsPerSecond;
        codec_->time_base = {1, kSampleRate};
        codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;  // MP4 keeps it in the sample description
        if (int status = avcodec_open2(codec_, aac, nullptr); status < 0)
            return fail("the AAC encoder refused its settings: " + AvError(status));
        return openMuxer() && writeHeader();
    }

    bool write(const std::int16_t* samples, std::size_t count) override {
        if (!error().empty()) return false;
        const auto frame = static_cast<std::size_t>(codec_->frame_size);
        for (std::size_t i = 0; i < count; ++i) {
            pending_.push_back(float(samples[i]) / 32768.0f);
            if (pending_.size() == frame && !encode(false)) return false;
        }
        return true;
    }

    bool close(const PartTimeline& part) override {
        if (fd_ < 0) return error().empty();
        if (error().empty() && header_) {
            if (!pending_.empty()) encode(false);
            if (error().empty()) encode(true);
            if (error().empty() && tags_.chapterMarks) addChapters(part);
            if (int status = av_write_trailer(muxer_); status < 0 && error().empty())
                fail(AvError(status));
            avio_flush(io_);
            if (error().empty() && ::fsync(fd_) != 0) fail(std::strerror(errno));
        }
        if (::close(fd_) != 0) fail(std::strerror(errno));
        fd_ = -1;
        return error().empty();
    }

private:
    static int WriteBytes(void* self, std::uint8_t* bytes, int size) {
        auto* e = static_cast<Mp4Encoder*>(self);
        for (int done = 0; done < size;) {
            const ssize_t n = ::write(e->fd_, bytes + done, static_cast<std::size_t>(size - done));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return AVERROR(errno);
            done += static_cast<int>(n);
        }
        return size;
    }
    static std::int64_t Seek(void* self, std::int64_t offset, int whence) {
        auto* e = static_cast<Mp4Encoder*>(self);
        if (whence & AVSEEK_SIZE) {
            struct stat st {};
            return ::fstat(e->fd_, &st) == 0 ? st.st_size : AVERROR(errno);
        }
        const off_t at = ::lseek(e->fd_, offset, whence & ~AVSEEK_FORCE);
        return at < 0 ? AVERROR(errno) : at;
    }

    bool openMuxer() {
        // MP4 branded as an audiobook ("ipod" would take no cover picture).
        if (avformat_alloc_output_context2(&muxer_, nullptr, "mp4", nullptr) < 0 || !muxer_)
            return fail("this FFmpeg cannot write MP4");
        av_opt_set(muxer_->priv_data, "brand", "M4B ", 0);
        auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBuffer));
        io_ = buffer ? avio_alloc_context(buffer, kIoBuffer, 1, this, nullptr, WriteBytes, Seek)
                     : nullptr;
        if (!io_) {
            av_free(buffer);
            return fail(std::strerror(ENOMEM));
        }
        io_->seekable = AVIO_SEEKABLE_NORMAL;
        muxer_->pb = io_;
        muxer_->flags |= AVFMT_FLAG_CUSTOM_IO;
        stream_ = avformat_new_stream(muxer_, nullptr);
        if (!stream_) return fail(std::strerror(ENOMEM));
        avcodec_parameters_from_context(stream_->codecpar, codec_);
        stream_->time_base = codec_->time_base;
        if (const std::string language = ThreeLetterLanguage(tags_.language); !language.empty())
            av_dict_set(&stream_->metadata, "language", language.c_str(), 0);
        const auto tag = [this](const char* key, const std::string& value) {
            if (!value.empty()) av_dict_set(&muxer_->metadata, key, value.c_str(), 0);
        };
        tag("title", tags_.title);
        tag("artist", tags_.artist);
        tag("album", tags_.album);
        tag("date", tags_.year);
        if (tags_.track > 0) tag("track", std::to_string(tags_.track));
        return addCoverStream();
    }

    // The cover is a picture attached to the file, which the muxer writes as `covr`.
    bool addCoverStream() {
        const AVCodecID id = tags_.coverType == "image/png"    ? AV_CODEC_ID_PNG
                             : tags_.coverType == "image/jpeg" ? AV_CODEC_ID_MJPEG
                                                               : AV_CODEC_ID_NONE;
        int width = 0, height = 0;
        if (id == AV_CODEC_ID_NONE || !PictureSize(tags_.cover, &width, &height)) return true;
        cover_ = avformat_new_stream(muxer_, nullptr);
        if (!cover_) return fail(std::strerror(ENOMEM));
        cover_->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
        cover_->codecpar->codec_id = id;
        cover_->codecpar->width = width;
        cover_->codecpar->height = height;
        cover_->disposition |= AV_DISPOSITION_ATTACHED_PIC;
        return true;
    }

    bool writeHeader() {
        if (int status = avformat_write_header(muxer_, nullptr); status < 0)
            return fail(AvError(status));
        header_ = true;
        if (!cover_) return true;
        AVPacket* picture = av_packet_alloc();
        int status = picture ? av_new_packet(picture, static_cast<int>(tags_.cover.size()))
                             : AVERROR(ENOMEM);
        if (status >= 0) {
            std::memcpy(picture->data, tags_.cover.data(), tags_.cover.size());
            picture->stream_index = cover_->index;
            picture->flags |= AV_PKT_FLAG_KEY;
            picture->pts = picture->dts = 0;
            status = av_write_frame(muxer_, picture);
        }
        av_packet_free(&picture);
        return status >= 0 || fail(AvError(status));
    }

    // Encodes the samples gathered (the last frame may be short), or with `last` drains the
    // encoder, and writes what it gives.
    bool encode(bool last) {
        int status = 0;
        if (last) {
            status = avcodec_send_frame(codec_, nullptr);
        } else {
            frame_->nb_samples = static_cast<int>(pending_.size());
            frame_->format = codec_->sample_fmt;
            av_channel_layout_copy(&frame_->ch_layout, &codec_->ch_layout);
            frame_->sample_rate = kSampleRate;
            if ((status = av_frame_get_buffer(frame_, 0)) < 0) return fail(AvError(status));
            std::memcpy(frame_->data[0], pending_.data(), pending_.size() * sizeof(float));
            frame_->pts = sent_;
            sent_ += static_cast<std::int64_t>(pending_.size());
            pending_.clear();
            status = avcodec_send_frame(codec_, frame_);
            av_frame_unref(frame_);
        }
        if (status < 0) return fail("the AAC encoder failed: " + AvError(status));
        while ((status = avcodec_receive_packet(codec_, packet_)) >= 0) {
            packet_->stream_index = stream_->index;
            av_packet_rescale_ts(packet_, codec_->time_base, stream_->time_base);
            status = av_write_frame(muxer_, packet_);
            av_packet_unref(packet_);
            if (status < 0) return fail(AvError(status));
        }
        if (status != AVERROR(EAGAIN) && status != AVERROR_EOF) return fail(AvError(status));
        return true;
    }

    void addChapters(const PartTimeline& part) {
        auto** list = static_cast<AVChapter**>(
            av_realloc_array(muxer_->chapters, part.chapters.size(), sizeof(AVChapter*)));
        if (!list) {
            fail(std::strerror(ENOMEM));
            return;
        }
        muxer_->chapters = list;
        for (std::size_t i = 0; i < part.chapters.size(); ++i) {
            auto* c = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
            if (!c) {
                fail(std::strerror(ENOMEM));
                return;
            }
            c->id = static_cast<std::int64_t>(i);
            c->time_base = {1, kSampleRate};
            c->start = part.chapters[i].start;
            c->end = i + 1 < part.chapters.size() ? part.chapters[i + 1].start : part.samples;
            av_dict_set(&c->metadata, "title", CutTitle(part.chapters[i].title).c_str(), 0);
            list[muxer_->nb_chapters++] = c;
        }
    }

    int fd_ = -1;
    AudioTags tags_;
    AVCodecContext* codec_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFormatContext* muxer_ = nullptr;
    AVIOContext* io_ = nullptr;
    AVStream* stream_ = nullptr;
    AVStream* cover_ = nullptr;
    bool header_ = false;
    std::vector<float> pending_;  // samples of the next frame
    std::int64_t sent_ = 0;
};

constexpr const char* kMp4Suffixes[] = {"m4b", "m4a"};

std::unique_ptr<AudioEncoder> MakeMp4() {
    return std::make_unique<Mp4Encoder>();
}

}  // namespace

extern const AudioFormat kMp4Format{.name = "M4B",
                                    .suffixes = kMp4Suffixes,
                                    .tags = true,
                                    .chapters = true,
                                    .cover = true,
                                    .makeEncoder = MakeMp4};

}  // namespace vernalo
