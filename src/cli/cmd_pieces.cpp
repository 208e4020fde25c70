#include <charconv>
#include <iostream>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/readingoptions.h"
#include "dict/dictfile.h"
#include "documents/textcodec.h"
#include "reading/segmenter.h"

namespace vernalo::cli {

int Pieces(const Args& args) {
    ReadingOptions reading;
    long from = 1;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (int taken = reading.Take(args, i)) {
            if (taken == 2) return 2;
            continue;
        }
        const std::string& a = args[i];
        if (a == "--from") {
            if (i + 1 >= args.size()) return UsageError("--from needs a position");
            const std::string& v = args[++i];
            auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), from);
            if (ec != std::errc() || p != v.data() + v.size() || from < 1)
                return UsageError("--from takes a position from 1: '" + v + "'");
        } else {
            return UsageError("unknown option '" + a + "'");
        }
    }
    DictStore dicts;
    std::u16string text;
    if (int status = reading.Load(dicts, text)) return status;
    const bool wordMode = !reading.sentenceMode;
    const bool ru = reading.ru, en = reading.en;

    Segmenter seg(dicts);
    seg.EnabledRU = [ru] { return ru; };
    seg.EnabledEN = [en] { return en; };
    seg.SetText(std::move(text));
    seg.ReadPos = from;
    auto lang = [](bool r, bool e) { return r ? "\"ru\"" : e ? "\"en\"" : "null"; };
    std::string line;
    while (seg.ReadPos <= seg.ReadLength) {
        const long start = seg.ReadPos;
        line = "{\"from\":" + std::to_string(start);
        if (wordMode) {
            TResultWord w = seg.NextWord();
            line += ",\"to\":" + std::to_string(seg.ReadPos) +
                    ",\"lang\":" + lang(w.Russian, w.English) +
                    ",\"text\":" + JsonString(Utf16ToUtf8(w.Text)) +
                    ",\"speech\":" + JsonString(Utf16ToUtf8(w.Speech)) +
                    ",\"replacement\":" + JsonString(Utf16ToUtf8(w.Replacement)) +
                    ",\"sentenceEnd\":" + (w.SentenceEnd ? "true" : "false");
        } else {
            TResultSentence s = seg.NextSentence();
            line += ",\"to\":" + std::to_string(seg.ReadPos) +
                    ",\"lang\":" + lang(s.Russian, s.English) +
                    ",\"text\":" + JsonString(Utf16ToUtf8(s.Text)) +
                    ",\"speech\":" + JsonString(Utf16ToUtf8(s.Speech));
        }
        line += "}\n";
        std::cout << line;
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}

}  // namespace vernalo::cli
