#include "readalong/subtitles/subtitles.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "speech/samplesink.h"
#include "text/textcodec.h"

namespace vernalo {

namespace {

// "01:02:03,456" (SRT, ',') or "01:02:03.456" (WebVTT, '.').
std::string Clock(std::int64_t samples, char decimal) {
    return ClockText(Milliseconds(samples), decimal);
}

// "[02:03.46]": minutes go past 59 rather than into hours, which the format has not.
std::string LrcClock(std::int64_t samples) {
    const std::int64_t cs = (Milliseconds(samples) + 5) / 10;
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "[%02lld:%02lld.%02lld]",
                  static_cast<long long>(cs / 6000), static_cast<long long>(cs / 100 % 60),
                  static_cast<long long>(cs % 100));
    return buffer;
}

bool IsBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r') || c == 0x85 || c == 0x2028 || c == 0x2029;
}

// Units a cue has no use for: control characters and the mark of an embedded object.
bool IsDropped(char16_t c) {
    return c < 0x20 || c == 0x7f || c == 0xfffc;
}

// A place in the text where a word starts, and the time its sound does.
struct WordMark {
    long position = 0;
    std::int64_t sample = 0;
};

// The cue's text in one line, UTF-8, with `mark` called for each word mark as the text reaches
// its word (after the blank before it).
std::string CueLine(const std::u16string& text, const TimedPiece& piece,
                    const std::vector<WordMark>& marks, bool escape,
                    const std::function<std::string(std::int64_t)>& mark) {
    const long size = static_cast<long>(text.size());
    const long from = std::clamp(piece.text.start, 0L, size);
    const long to = std::clamp(piece.text.start + piece.text.length, from, size);
    std::string line;
    std::u16string run;  // text not yet converted
    const auto flush = [&] {
        line += Utf16ToUtf8(run);
        run.clear();
    };
    bool blank = false;
    std::size_t next = 0;
    for (long i = from; i < to; ++i) {
        const char16_t c = text[static_cast<std::size_t>(i)];
        if (IsBlank(c)) {
            blank = true;
            continue;
        }
        if (IsDropped(c)) continue;
        if (blank && !(run.empty() && line.empty())) run += u' ';
        blank = false;
        for (; next < marks.size() && marks[next].position <= i; ++next) {
            if (run.empty() && line.empty()) continue;  // the cue's own start says it
            flush();
            line += mark(marks[next].sample);
        }
        if (escape && (c == u'&' || c == u'<' || c == u'>')) {
            flush();
            line += c == u'&' ? "&amp;" : c == u'<' ? "&lt;" : "&gt;";
        } else {
            run += c;
        }
    }
    flush();
    return line;
}

// The word marks of a piece that a cue can show: in the text's order, each later than the one
// before and within the cue.
std::vector<WordMark> WordMarks(const TimedPiece& piece) {
    std::vector<WordMark> marks;
    for (const TimedWord& w : piece.words)
        marks.push_back({w.text.start, w.start});
    std::stable_sort(marks.begin(), marks.end(),
                     [](const WordMark& a, const WordMark& b) { return a.position < b.position; });
    std::vector<WordMark> kept;
    std::int64_t last = Milliseconds(piece.start);
    for (const WordMark& m : marks) {
        const std::int64_t ms = Milliseconds(m.sample);
        // Words read as one (a sign said as a word or two) show as the first of them.
        if (ms <= last || ms >= Milliseconds(piece.end)) continue;
        if (!kept.empty() && kept.back().position == m.position) continue;
        kept.push_back(m);
        last = ms;
    }
    return kept;
}

struct Cue {
    const TimedPiece* piece;
    std::string line;
};

// The pieces that make cues: those with sound and with text to show.
std::vector<Cue> Cues(const PartTimeline& part, const std::u16string& text, bool escape,
                      bool words) {
    std::vector<Cue> cues;
    for (const TimedPiece& piece : part.pieces) {
        if (Milliseconds(piece.end) <= Milliseconds(piece.start)) continue;
        const auto marks = words ? WordMarks(piece) : std::vector<WordMark>();
        std::string line = CueLine(text, piece, marks, escape, [](std::int64_t sample) {
            return '<' + Clock(sample, '.') + '>';
        });
        if (!line.empty()) cues.push_back({&piece, std::move(line)});
    }
    return cues;
}

}  // namespace

std::optional<SubtitleFormat> SubtitleFormatNamed(std::string_view name) {
    for (SubtitleFormat f : {SubtitleFormat::Srt, SubtitleFormat::WebVtt, SubtitleFormat::Lrc})
        if (SubtitleSuffix(f) == name) return f;
    return std::nullopt;
}

std::string_view SubtitleSuffix(SubtitleFormat format) {
    switch (format) {
        case SubtitleFormat::Srt:
            return "srt";
        case SubtitleFormat::WebVtt:
            return "vtt";
        case SubtitleFormat::Lrc:
            return "lrc";
    }
    return "srt";
}

std::string SubtitleText(SubtitleFormat format, const PartTimeline& part,
                         const std::u16string& text) {
    const bool vtt = format == SubtitleFormat::WebVtt;
    const std::vector<Cue> cues = Cues(part, text, vtt, vtt);
    std::string out;
    if (format == SubtitleFormat::Lrc) {
        if (!part.title.empty()) out += "[ti:" + part.title + "]\n";
        for (const Cue& c : cues)
            out += LrcClock(c.piece->start) + c.line + '\n';
        if (!cues.empty()) out += LrcClock(cues.back().piece->end) + '\n';
        return out;
    }
    if (vtt) out += "WEBVTT\n\n";
    const char decimal = vtt ? '.' : ',';
    for (std::size_t i = 0; i < cues.size(); ++i) {
        if (!vtt) out += std::to_string(i + 1) + '\n';
        out += Clock(cues[i].piece->start, decimal) + " --> " + Clock(cues[i].piece->end, decimal) +
               '\n' + cues[i].line + "\n\n";
    }
    return out;
}

std::string SubtitlePathFor(const std::string& soundPath, SubtitleFormat format) {
    std::filesystem::path p(soundPath);
    p.replace_extension(std::string(SubtitleSuffix(format)));
    return p.string();
}

}  // namespace vernalo
