#include <charconv>
#include <iostream>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/readingoptions.h"
#include "dict/dictfile.h"
#include "reading/segmenter.h"
#include "text/textcodec.h"

namespace vernalo::cli {

int Pieces(const Args& args) {
    ReadingArgs reading;
    long from = 1;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (int taken = reading.take(args, i)) {
            if (taken == 2) return 2;
            continue;
        }
        const std::string& a = args[i];
        if (a == "--from") {
            std::string v;
            if (!TakeValue(args, i, v)) return UsageError("--from needs a position");
            auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), from);
            if (ec != std::errc() || p != v.data() + v.size() || from < 1)
                return UsageError("--from takes a position from 1: '" + v + "'");
        } else {
            return UnknownOption(a);
        }
    }
    DictionaryStore dicts;
    std::u16string text;
    if (int status = reading.load(dicts, text)) return status;
    const bool wordMode = !reading.sentenceMode;

    Segmenter seg(dicts);
    seg.enabled = reading.voiceOn;
    seg.setText(std::move(text));
    seg.position = FromShown(from);
    // Whatever went to standard output through the stream goes before our own buffer.
    std::cout.flush();
    JsonLines out(stdout);
    auto lang = [&out](std::optional<Language> l) {
        if (!l) return out.raw("null");
        out.raw("\"");
        out.raw(LanguageSuffix(*l));
        out.raw("\"");
    };
    // What every piece has: where it ends, its language, its text and what the voice is given.
    auto common = [&](long start, std::optional<Language> language, std::u16string_view text,
                      std::u16string_view speech) {
        out.raw("{\"from\":");
        out.number(Shown(start));
        out.raw(",\"to\":");
        out.number(Shown(seg.position));
        out.raw(",\"lang\":");
        lang(language);
        out.raw(",\"text\":");
        out.string(text);
        out.raw(",\"speech\":");
        out.string(speech);
    };
    while (seg.position < seg.readLength) {
        const long start = seg.position;
        if (wordMode) {
            const WordPiece w = seg.cutWord();
            common(start, w.language, w.text, w.replacement.empty() ? w.text : w.replacement);
            out.raw(",\"replacement\":");
            out.string(w.replacement);
            out.raw(w.sentenceEnd ? ",\"sentenceEnd\":true}\n" : ",\"sentenceEnd\":false}\n");
        } else {
            const SentencePiece s = seg.nextSentence();
            common(start, s.language, s.text, s.speech);
            out.raw("}\n");
        }
    }
    ReportRuleProblems(dicts);
    return out.flush() ? 0 : 1;
}

}  // namespace vernalo::cli
