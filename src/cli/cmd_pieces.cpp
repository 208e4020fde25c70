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
            return UsageError("unknown option '" + a + "'");
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
    auto lang = [](std::optional<Language> l) {
        return l ? "\"" + LanguageSuffix(*l) + "\"" : std::string("null");
    };
    // Written straight to the output: a piece's texts are never copied into a line.
    std::ostream& out = std::cout;
    while (seg.position < seg.readLength) {
        const long start = seg.position;
        if (wordMode) {
            const WordPiece w = seg.cutWord();
            out << "{\"from\":" << Shown(start) << ",\"to\":" << Shown(seg.position)
                << ",\"lang\":" << lang(w.language) << ",\"text\":";
            WriteJsonString(out, w.text);
            out << ",\"speech\":";
            WriteJsonString(out, w.replacement.empty() ? w.text : w.replacement);
            out << ",\"replacement\":";
            WriteJsonString(out, w.replacement);
            out << ",\"sentenceEnd\":" << (w.sentenceEnd ? "true" : "false");
        } else {
            const SentencePiece s = seg.nextSentence();
            out << "{\"from\":" << Shown(start) << ",\"to\":" << Shown(seg.position)
                << ",\"lang\":" << lang(s.language) << ",\"text\":";
            WriteJsonString(out, s.text);
            out << ",\"speech\":";
            WriteJsonString(out, s.speech);
        }
        out << "}\n";
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}

}  // namespace vernalo::cli
