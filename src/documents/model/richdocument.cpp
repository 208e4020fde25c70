#include "documents/model/richdocument.h"

#include <algorithm>
#include <limits>

namespace vernalo {
namespace {

constexpr std::size_t kMaxRunLength = std::numeric_limits<std::uint32_t>::max();

std::size_t Mix(std::size_t h, std::size_t v) {
    return (h ^ v) * 0x100000001B3ULL;
}

void LineBreaksToNewlines(std::u16string& text) {
    std::replace(text.begin(), text.end(), u'\u2028', u'\n');
}

}  // namespace

std::u16string Paragraph::text() const {
    std::u16string text;
    for (const TextRun& run : runs)
        text += run.text;
    return text;
}

std::size_t RichDocument::FormatHash::operator()(const CharFormat& f) const {
    std::size_t h = 0xCBF29CE484222325ULL;
    h = Mix(h, static_cast<std::uint32_t>(f.font));
    h = Mix(h, static_cast<std::uint32_t>(f.halfPoints));
    h = Mix(h, static_cast<std::uint32_t>(f.color));
    h = Mix(h, static_cast<std::uint32_t>(f.background));
    return Mix(h, f.bold | f.italic << 1 | f.underline << 2 | f.strike << 3);
}

std::size_t RichDocument::FormatHash::operator()(const ParagraphFormat& f) const {
    std::size_t h = 0xCBF29CE484222325ULL;
    h = Mix(h, static_cast<std::size_t>(f.align));
    h = Mix(h, static_cast<std::uint32_t>(f.leftIndent));
    h = Mix(h, static_cast<std::uint32_t>(f.rightIndent));
    return Mix(h, static_cast<std::uint32_t>(f.firstIndent));
}

std::uint32_t RichDocument::charFormatIndex(const CharFormat& f) {
    if (auto it = charIndex_.find(f); it != charIndex_.end()) return it->second;
    if (charFormats_.size() >= kMaxFormats)
        return static_cast<std::uint32_t>(charFormats_.size() - 1);
    const auto i = static_cast<std::uint32_t>(charFormats_.size());
    charFormats_.push_back(f);
    charIndex_.emplace(f, i);
    return i;
}

std::uint32_t RichDocument::paraFormatIndex(const ParagraphFormat& f) {
    if (auto it = paraIndex_.find(f); it != paraIndex_.end()) return it->second;
    if (paraFormats_.size() >= kMaxFormats)
        return static_cast<std::uint32_t>(paraFormats_.size() - 1);
    const auto i = static_cast<std::uint32_t>(paraFormats_.size());
    paraFormats_.push_back(f);
    paraIndex_.emplace(f, i);
    return i;
}

void RichDocument::startParagraph() {
    if (openStarted_) return;
    if (!paras_.empty()) text_.push_back(u'\n');
    openStarted_ = true;
}

void RichDocument::closeRun() {
    if (!runOpen_) return;
    runOpen_ = false;
    // A run longer than its length field holds goes on in runs of the same format.
    for (std::size_t left = text_.size() - runStart_; left > 0;) {
        const std::size_t n = std::min(left, kMaxRunLength);
        runs_.push_back({static_cast<std::uint32_t>(n), runFormat_});
        ++openRuns_;
        left -= n;
    }
}

void RichDocument::beginRun(const CharFormat& format) {
    // A group that ends where it began leaves the format as it was: no lookup for that.
    if (runOpen_ && charFormats_[runFormat_] == format) return;
    const std::uint32_t f = charFormatIndex(format);
    if (runOpen_ && runFormat_ == f) return;
    startParagraph();
    closeRun();
    runStart_ = text_.size();
    // Text in the format of the paragraph's last run goes on in that run.
    if (openRuns_ > 0 && runs_.back().format == f) {
        runStart_ -= runs_.back().length;
        runs_.pop_back();
        --openRuns_;
    }
    runOpen_ = true;
    runFormat_ = f;
}

void RichDocument::addText(const CharFormat& format, std::u16string_view text) {
    if (text.empty()) return;
    beginRun(format);
    text_.append(text);
}

void RichDocument::endParagraph(const ParagraphFormat& format) {
    startParagraph();
    closeRun();
    paras_.push_back({paraFormatIndex(format), openRuns_});
    openRuns_ = 0;
    openStarted_ = false;
}

void RichDocument::finish(const ParagraphFormat& format) {
    closeRun();
    if (openRuns_ > 0 || paras_.empty()) {
        endParagraph(format);
    } else if (openStarted_) {
        text_.pop_back();  // the '\n' before a paragraph that stayed empty
        openStarted_ = false;
    }
}

void RichDocument::addParagraph(const Paragraph& paragraph) {
    for (const TextRun& run : paragraph.runs)
        addText(run.format, run.text);
    endParagraph(paragraph.format);
}

void RichDocument::addHeading(std::u16string_view title, int level, std::size_t position) {
    // Titles read from markup keep its line breaks and runs of blanks: one space each.
    std::u16string clean;
    bool space = false;
    for (char16_t c : title) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\u2028' ||
            c == u'\u00a0') {
            space = !clean.empty();
            continue;
        }
        if (space) clean.push_back(u' ');
        space = false;
        clean.push_back(c);
    }
    if (clean.empty()) return;
    if (!headings.empty() && headings.back().position >= position) return;
    if (headings.size() >= kMaxHeadings) return;
    headings.push_back({std::move(clean), std::max(level, 1), position});
}

std::vector<Paragraph> RichDocument::paragraphs() const {
    std::vector<Paragraph> out;
    out.reserve(paras_.size());
    forEach(
        [&](const ParagraphView& p) {
            out.push_back({p.format, {}});
        },
        [&](const RunView& r) {
            out.back().runs.push_back({r.format, std::u16string(r.text)});
        });
    return out;
}

std::u16string RichDocument::plainText() const {
    std::u16string out = text_;
    LineBreaksToNewlines(out);
    return out;
}

std::u16string RichDocument::takePlainText() {
    std::u16string out = std::move(text_);
    *this = RichDocument();
    LineBreaksToNewlines(out);
    return out;
}

std::u16string RichDocument::takeText() {
    std::u16string out = std::move(text_);
    *this = RichDocument();
    return out;
}

RichDocument PlainTextDocument(std::u16string text) {
    RichDocument doc;
    doc.text_ = std::move(text);
    const std::uint32_t charFormat = doc.charFormatIndex({});
    const std::uint32_t paraFormat = doc.paraFormatIndex({});
    std::size_t start = 0;
    while (true) {
        std::size_t end = std::min(doc.text_.find(u'\n', start), doc.text_.size());
        std::uint32_t runs = 0;
        for (std::size_t left = end - start; left > 0; ++runs) {
            const std::size_t n = std::min(left, kMaxRunLength);
            doc.runs_.push_back({static_cast<std::uint32_t>(n), charFormat});
            left -= n;
        }
        doc.paras_.push_back({paraFormat, runs});
        if (end == doc.text_.size()) break;
        start = end + 1;
    }
    return doc;
}

}  // namespace vernalo
