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
        if (int taken = reading.Take(args, i)) {
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
    if (int status = reading.Load(dicts, text)) return status;
    const bool wordMode = !reading.sentenceMode;

    Segmenter seg(dicts);
    seg.enabled = reading.voiceOn;
    seg.setText(std::move(text));
    seg.readPos = from;
    auto lang = [](std::optional<Language> l) {
        return l ? "\"" + LanguageSuffix(*l) + "\"" : std::string("null");
    };
    std::string line;
    while (seg.readPos <= seg.readLength) {
        const long start = seg.readPos;
        line = "{\"from\":" + std::to_string(start);
        if (wordMode) {
            WordPiece w = seg.nextWord();
            line += ",\"to\":" + std::to_string(seg.readPos) + ",\"lang\":" + lang(w.language) +
                    ",\"text\":" + JsonString(Utf16ToUtf8(w.text)) +
                    ",\"speech\":" + JsonString(Utf16ToUtf8(w.speech)) +
                    ",\"replacement\":" + JsonString(Utf16ToUtf8(w.replacement)) +
                    ",\"sentenceEnd\":" + (w.sentenceEnd ? "true" : "false");
        } else {
            SentencePiece s = seg.nextSentence();
            line += ",\"to\":" + std::to_string(seg.readPos) + ",\"lang\":" + lang(s.language) +
                    ",\"text\":" + JsonString(Utf16ToUtf8(s.text)) +
                    ",\"speech\":" + JsonString(Utf16ToUtf8(s.speech));
        }
        line += "}\n";
        std::cout << line;
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}

}  // namespace vernalo::cli
