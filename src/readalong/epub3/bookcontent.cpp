#include "readalong/epub3/bookcontent.h"

#include <algorithm>
#include <cstdio>

#include "speech/samplesink.h"
#include "text/textcodec.h"

namespace vernalo {

namespace {

// Text for XML: markup characters escaped, and the units XML may not hold (control
// characters, lone surrogates, the non-characters) left out.
std::string Escape(std::u16string_view text) {
    std::u16string clean;
    clean.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xd800 && c < 0xdc00;
        const bool low = c >= 0xdc00 && c < 0xe000;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xdc00 && text[i + 1] < 0xe000) {
            clean += c;
            clean += text[++i];
            continue;
        }
        if (high || low || c == 0xfffe || c == 0xffff || c == 0xfffc) continue;
        if (c < 0x20) {
            if (c == u'\t') clean += u' ';
            continue;
        }
        clean += c;
    }
    return XmlEscaped(Utf16ToUtf8(clean));
}

std::string Escape(const std::string& utf8) {
    return Escape(Utf8ToUtf16(utf8));
}

const char* LanguageCode(Language l) {
    return l == Language::Russian ? "ru" : "en";
}

// "12.345s": a clip's edge.
std::string ClipTime(std::int64_t ms) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%lld.%03llds", static_cast<long long>(ms / 1000),
                  static_cast<long long>(ms % 1000));
    return buffer;
}

std::string XhtmlHead(const std::string& language, const std::string& title) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
           "<html xmlns=\"http://www.w3.org/1999/xhtml\" "
           "xmlns:epub=\"http://www.idpf.org/2007/ops\" lang=\"" +
           language + "\" xml:lang=\"" + language +
           "\">\n<head>\n<meta charset=\"UTF-8\"/>\n<title>" + Escape(title) +
           "</title>\n<link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\"/>\n</head>\n";
}

// The sentences of a chapter: the first time each is spoken, in the text's order.
struct Sentence {
    long from = 0;
    long to = 0;
    Language language = Language::Russian;
};

std::vector<Sentence> Sentences(const PartTimeline& part) {
    std::vector<Sentence> out;
    for (const TimedPiece& p : part.pieces)
        if (p.repetition == 0 && p.text.length > 0)
            out.push_back({p.text.start, p.text.start + p.text.length, p.language});
    std::sort(out.begin(), out.end(),
              [](const Sentence& a, const Sentence& b) { return a.from < b.from; });
    return out;
}

struct RunSlice {
    long start = 0;  // in the text
    const CharFormat* format = nullptr;
    std::u16string_view text;
};

// Writes one paragraph: its stretches between sentence edges, each sentence's in a span.
class ParagraphWriter {
public:
    ParagraphWriter(const std::vector<Sentence>& sentences, const BookInfo& info, ChapterXhtml& out)
        : sentences_(sentences), info_(info), out_(out) {}

    void write(const std::vector<RunSlice>& runs, long from, long to) {
        long at = from;
        while (at < to) {
            while (next_ < sentences_.size() && sentences_[next_].to <= at)
                ++next_;
            const bool inside = next_ < sentences_.size() && sentences_[next_].from <= at;
            const long end =
                inside ? std::min(to, sentences_[next_].to)
                       : std::min(to, next_ < sentences_.size() ? sentences_[next_].from : to);
            if (inside) openSpan(sentences_[next_]);
            writeRuns(runs, at, end);
            if (inside) out_.xhtml += "</span>";
            at = end;
        }
    }

private:
    void openSpan(const Sentence& s) {
        out_.xhtml += "<span";
        if (!out_.ids.contains(s.from)) {
            const std::string id = "s" + std::to_string(out_.ids.size() + 1);
            out_.ids[s.from] = id;
            out_.xhtml += " id=\"" + id + "\"";
        }
        const std::string language = LanguageCode(s.language);
        if (language != info_.language)
            out_.xhtml += " lang=\"" + language + "\" xml:lang=\"" + language + "\"";
        out_.xhtml += '>';
    }
    void writeRuns(const std::vector<RunSlice>& runs, long from, long to) {
        for (const RunSlice& r : runs) {
            const long end = r.start + static_cast<long>(r.text.size());
            if (end <= from || r.start >= to) continue;
            const long a = std::max(from, r.start), b = std::min(to, end);
            std::u16string_view piece = r.text.substr(static_cast<std::size_t>(a - r.start),
                                                      static_cast<std::size_t>(b - a));
            if (r.format->bold) out_.xhtml += "<b>";
            if (r.format->italic) out_.xhtml += "<i>";
            // A line break inside the paragraph stays one.
            for (std::size_t k; (k = piece.find(u'\u2028')) != std::u16string_view::npos;) {
                out_.xhtml += Escape(piece.substr(0, k)) + "<br/>";
                piece.remove_prefix(k + 1);
            }
            out_.xhtml += Escape(piece);
            if (r.format->italic) out_.xhtml += "</i>";
            if (r.format->bold) out_.xhtml += "</b>";
        }
    }

    const std::vector<Sentence>& sentences_;
    const BookInfo& info_;
    ChapterXhtml& out_;
    std::size_t next_ = 0;
};

bool Blank(const std::vector<RunSlice>& runs) {
    for (const RunSlice& r : runs)
        for (char16_t c : r.text)
            if (c > u' ' && c != 0x2028 && c != 0xa0 && c != 0xfffc) return false;
    return true;
}

}  // namespace

std::string BookStyle() {
    return std::string("body { line-height: 1.5; }\n.") + kActiveClass +
           " { background-color: #ffe27a; color: #000000; border-radius: 0.2em; }\n";
}

ChapterXhtml MakeChapterXhtml(const RichDocument& document, const BookChapter& chapter,
                              const BookInfo& info) {
    ChapterXhtml out;
    const std::string title = chapter.title.empty() ? info.title : chapter.title;
    out.xhtml = XhtmlHead(info.language, title) +
                "<body>\n<section id=\"chapter\" epub:type=\"chapter\">\n";
    const std::vector<Sentence> sentences = Sentences(chapter.part);
    ParagraphWriter writer(sentences, info, out);
    std::size_t heading = 0;
    std::vector<RunSlice> runs;
    long paraStart = 0;
    // Each paragraph is written when the next one starts, its runs gathered in between.
    const auto flush = [&] {
        const long paraEnd = runs.empty()
                                 ? paraStart
                                 : runs.back().start + static_cast<long>(runs.back().text.size());
        const long from = std::max(paraStart, chapter.textStart);
        const long to = std::min(paraEnd, chapter.textEnd);
        if (from >= to || Blank(runs)) return;
        while (heading < document.headings.size() &&
               static_cast<long>(document.headings[heading].position) < paraStart)
            ++heading;
        const bool isHeading = heading < document.headings.size() &&
                               static_cast<long>(document.headings[heading].position) == paraStart;
        const std::string tag =
            isHeading ? "h" + std::to_string(std::clamp(document.headings[heading].level, 1, 6))
                      : "p";
        out.xhtml += '<' + tag + '>';
        writer.write(runs, from, to);
        out.xhtml += "</" + tag + ">\n";
    };
    bool started = false;
    document.forEach(
        [&](const RichDocument::ParagraphView& p) {
            if (started) flush();
            started = true;
            runs.clear();
            paraStart = static_cast<long>(p.textStart);
        },
        [&](const RichDocument::RunView& r) {
            const long start = runs.empty()
                                   ? paraStart
                                   : runs.back().start + static_cast<long>(runs.back().text.size());
            runs.push_back({start, &r.format, r.text});
        });
    if (started) flush();
    out.xhtml += "</section>\n</body>\n</html>\n";
    return out;
}

std::string MakeOverlay(const BookChapter& chapter, const std::map<long, std::string>& ids,
                        std::int64_t* milliseconds) {
    const auto& pieces = chapter.part.pieces;
    std::string pars;
    std::int64_t total = 0;
    int count = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const auto id = ids.find(pieces[i].text.start);
        if (id == ids.end() || pieces[i].text.length <= 0) continue;
        const std::int64_t begin = Milliseconds(pieces[i].start);
        const std::int64_t end =
            Milliseconds(i + 1 < pieces.size() ? pieces[i + 1].start : chapter.part.samples);
        if (end <= begin) continue;
        total += end - begin;
        pars += "<par id=\"p" + std::to_string(++count) + "\"><text src=\"" + chapter.name +
                ".xhtml#" + id->second + "\"/><audio src=\"audio/" + chapter.name +
                ".mp3\" clipBegin=\"" + ClipTime(begin) + "\" clipEnd=\"" + ClipTime(end) +
                "\"/></par>\n";
    }
    if (milliseconds) *milliseconds = total;
    if (pars.empty()) return {};
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<smil xmlns=\"http://www.w3.org/ns/SMIL\" xmlns:epub=\"http://www.idpf.org/2007/ops\" "
           "version=\"3.0\">\n<body>\n<seq id=\"seq1\" epub:textref=\"" +
           chapter.name + ".xhtml#chapter\" epub:type=\"chapter\">\n" + pars +
           "</seq>\n</body>\n</smil>\n";
}

std::string MakeNavigation(const std::vector<BookChapter>& chapters, const BookInfo& info) {
    std::string out = XhtmlHead(info.language, info.title) +
                      "<body>\n<nav epub:type=\"toc\" id=\"toc\">\n<h1>" + Escape(info.title) +
                      "</h1>\n<ol>\n";
    for (const BookChapter& c : chapters)
        out += "<li><a href=\"" + c.name + ".xhtml\">" +
               Escape(c.title.empty() ? info.title : c.title) + "</a></li>\n";
    return out + "</ol>\n</nav>\n</body>\n</html>\n";
}

std::string MakePackage(const std::vector<BookChapter>& chapters,
                        const std::vector<std::int64_t>& overlayMs, const BookInfo& info) {
    std::string meta, manifest, spine;
    std::int64_t total = 0;
    for (std::size_t i = 0; i < chapters.size(); ++i) {
        const std::string& n = chapters[i].name;
        const bool overlay = i < overlayMs.size() && overlayMs[i] >= 0;
        manifest += "<item id=\"" + n + "\" href=\"" + n +
                    ".xhtml\" media-type=\"application/xhtml+xml\"" +
                    (overlay ? " media-overlay=\"" + n + "-overlay\"" : std::string()) + "/>\n";
        manifest += "<item id=\"" + n + "-audio\" href=\"audio/" + n +
                    ".mp3\" media-type=\"audio/mpeg\"/>\n";
        spine += "<itemref idref=\"" + n + "\"/>\n";
        if (!overlay) continue;
        manifest += "<item id=\"" + n + "-overlay\" href=\"" + n +
                    ".smil\" media-type=\"application/smil+xml\"/>\n";
        meta += "<meta property=\"media:duration\" refines=\"#" + n + "-overlay\">" +
                ClockText(overlayMs[i], '.', 1) + "</meta>\n";
        total += overlayMs[i];
    }
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" "
        "unique-identifier=\"book-id\" xml:lang=\"" +
        info.language + "\">\n<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n" +
        "<dc:identifier id=\"book-id\">" + Escape(info.identifier) + "</dc:identifier>\n" +
        "<dc:title>" + Escape(info.title) + "</dc:title>\n<dc:language>" + info.language +
        "</dc:language>\n";
    if (!info.author.empty()) out += "<dc:creator>" + Escape(info.author) + "</dc:creator>\n";
    out +=
        "<meta property=\"dcterms:modified\">" + info.modified + "</meta>\n" +
        "<meta property=\"media:active-class\">" + kActiveClass + "</meta>\n" + meta +
        "<meta property=\"media:duration\">" + ClockText(total, '.', 1) + "</meta>\n" +
        "</metadata>\n<manifest>\n"
        "<item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" "
        "properties=\"nav\"/>\n<item id=\"style\" href=\"style.css\" media-type=\"text/css\"/>\n" +
        manifest + "</manifest>\n<spine>\n" + spine + "</spine>\n</package>\n";
    return out;
}

}  // namespace vernalo
