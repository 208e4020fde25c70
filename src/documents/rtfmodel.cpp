#include "documents/rtfmodel.h"

namespace vernalo {

std::u16string RtfParagraph::Text() const {
    std::u16string text;
    for (const RtfRun& run : runs)
        text += run.text;
    return text;
}

std::u16string RtfDocument::PlainText() const {
    std::u16string out;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        if (i) out.push_back(u'\n');
        for (const RtfRun& run : paragraphs[i].runs) {
            std::size_t at = out.size();
            out += run.text;
            for (std::size_t k = at; k < out.size(); ++k)
                if (out[k] == u'\u2028') out[k] = u'\n';
        }
    }
    return out;
}

RtfDocument PlainTextDocument(std::u16string_view text) {
    RtfDocument doc;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find(u'\n', start);
        RtfParagraph para;
        std::u16string_view line = text.substr(start, end == text.npos ? text.npos : end - start);
        if (!line.empty()) para.runs.push_back({{}, std::u16string(line)});
        doc.paragraphs.push_back(std::move(para));
        if (end == text.npos) break;
        start = end + 1;
    }
    return doc;
}

}  // namespace vernalo
