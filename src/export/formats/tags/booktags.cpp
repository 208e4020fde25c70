#include "export/formats/tags/booktags.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/chapterframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/tableofcontentsframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfilestream.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "speech/audiooutput.h"

namespace vernalo {

namespace {

TagLib::String Text(const std::string& utf8) {
    return TagLib::String(utf8, TagLib::String::UTF8);
}

TagLib::ByteVector Bytes(const std::string& bytes) {
    return TagLib::ByteVector(bytes.data(), static_cast<unsigned int>(bytes.size()));
}

// A chapter's start and end in milliseconds where the file plays them.
struct ChapterTimes {
    std::int64_t start, end;
};

ChapterTimes TimesOf(const PartTimeline& part, std::size_t i, std::int64_t lead) {
    const auto ms = [lead](std::int64_t sample) { return (sample + lead) * 1000 / kSampleRate; };
    const std::int64_t end =
        i + 1 < part.chapters.size() ? part.chapters[i + 1].start : part.samples;
    return {ms(part.chapters[i].start), ms(std::max(end, part.chapters[i].start))};
}

// ID3v2.3 knows no UTF-8: the text frames of the tag, ours too, are UTF-16.
TagLib::ID3v2::TextIdentificationFrame* TextFrame(const char* id, const std::string& text) {
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::UTF16);
    frame->setText(Text(text));
    return frame;
}

void AddId3(TagLib::ID3v2::Tag& tag, const AudioTags& tags, const PartTimeline& part,
            std::int64_t lead) {
    if (tags.chapterMarks && !part.chapters.empty()) {
        auto* toc = new TagLib::ID3v2::TableOfContentsFrame("toc");
        toc->setIsTopLevel(true);
        toc->setIsOrdered(true);
        for (std::size_t i = 0; i < part.chapters.size(); ++i) {
            const TagLib::ByteVector id(("chp" + std::to_string(i)).c_str());
            const ChapterTimes t = TimesOf(part, i, lead);
            // No byte offsets: the times are what players go by.
            auto* chapter = new TagLib::ID3v2::ChapterFrame(id, static_cast<unsigned>(t.start),
                                                            static_cast<unsigned>(t.end),
                                                            0xFFFFFFFF, 0xFFFFFFFF);
            chapter->addEmbeddedFrame(TextFrame("TIT2", part.chapters[i].title));
            tag.addFrame(chapter);
            toc->addChildElement(id);
        }
        tag.addFrame(toc);
    }
    if (!tags.cover.empty()) {
        auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
        picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        picture->setMimeType(tags.coverType);
        picture->setPicture(Bytes(tags.cover));
        tag.addFrame(picture);
    }
    if (const std::string language = ThreeLetterLanguage(tags.language); !language.empty())
        tag.addFrame(TextFrame("TLAN", language));
    if (!tags.year.empty()) tag.addFrame(TextFrame("TDRC", tags.year));
}

TagLib::FLAC::Picture* Picture(const AudioTags& tags) {
    auto* picture = new TagLib::FLAC::Picture;
    picture->setType(TagLib::FLAC::Picture::FrontCover);
    picture->setMimeType(tags.coverType);
    picture->setData(Bytes(tags.cover));
    return picture;
}

// The chapter comments hold three digits: a file marks at most 999 chapters.
constexpr std::size_t kMostXiphChapters = 999;

void AddXiph(TagLib::Ogg::XiphComment& comment, const AudioTags& tags, const PartTimeline& part,
             bool pictureInComment) {
    if (tags.chapterMarks) {
        const std::size_t count = std::min(part.chapters.size(), kMostXiphChapters);
        for (std::size_t i = 0; i < count; ++i) {
            char key[32];
            std::snprintf(key, sizeof key, "CHAPTER%03zu", i + 1);
            comment.addField(key, ClockText(TimesOf(part, i, 0).start));
            comment.addField(std::string(key) + "NAME", Text(part.chapters[i].title));
        }
    }
    if (!tags.language.empty()) comment.addField("LANGUAGE", Text(tags.language));
    if (!tags.year.empty()) comment.addField("DATE", Text(tags.year));
    if (pictureInComment && !tags.cover.empty()) comment.addPicture(Picture(tags));
}

bool Edit(TagLib::IOStream& stream, TaggedFile kind, const AudioTags& tags,
          const PartTimeline& part, std::int64_t lead) {
    switch (kind) {
        case TaggedFile::Mp3: {
            TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
            if (!file.isValid()) return false;
            AddId3(*file.ID3v2Tag(true), tags, part, lead);
            // The closing ID3v1 tag the encoder wrote stays as it is.
            return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3,
                             TagLib::File::DoNotDuplicate);
        }
        case TaggedFile::Flac: {
            TagLib::FLAC::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
            if (!file.isValid()) return false;
            AddXiph(*file.xiphComment(true), tags, part, false);
            if (!tags.cover.empty()) file.addPicture(Picture(tags));
            return file.save();
        }
        case TaggedFile::OggVorbis: {
            TagLib::Ogg::Vorbis::File file(&stream, false);
            if (!file.isValid()) return false;
            AddXiph(*file.tag(), tags, part, true);
            return file.save();
        }
        case TaggedFile::OggOpus: {
            TagLib::Ogg::Opus::File file(&stream, false);
            if (!file.isValid()) return false;
            AddXiph(*file.tag(), tags, part, true);
            return file.save();
        }
    }
    return false;
}

}  // namespace

bool WantsBookTags(const AudioTags& tags) {
    return tags.chapterMarks || !tags.cover.empty() || !tags.language.empty() || !tags.year.empty();
}

bool AddBookTags(int fd, TaggedFile kind, const AudioTags& tags, const PartTimeline& part,
                 std::int64_t leadSamples, std::string* error) {
    bool ok = false;
    errno = 0;
    {
        // The stream takes a descriptor of its own and closes it.
        const int own = ::dup(fd);
        if (own >= 0) {
            TagLib::FileStream stream(own);
            ok = stream.isOpen() && Edit(stream, kind, tags, part, leadSamples);
            if (ok && ::fsync(own) != 0) ok = false;
        }
        if (!ok && error) *error = errno ? std::strerror(errno) : "its tags could not be written";
    }
    ::close(fd);
    return ok;
}

std::string ThreeLetterLanguage(const std::string& language) {
    std::string code;
    for (const char c : language) {
        if (c == '-' || c == '_') break;
        code += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    static const struct {
        const char* two;
        const char* three;
    } kCodes[] = {{"ru", "rus"}, {"en", "eng"}, {"uk", "ukr"}, {"be", "bel"}, {"de", "deu"},
                  {"fr", "fra"}, {"es", "spa"}, {"it", "ita"}, {"pl", "pol"}};
    for (const auto& c : kCodes)
        if (code == c.two) return c.three;
    return code.size() == 3 ? code : std::string();
}

}  // namespace vernalo
