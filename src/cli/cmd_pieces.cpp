#include <charconv>
#include <iostream>

#include "cli/commands.h"
#include "cli/json.h"
#include "dict/dictfile.h"
#include "documents/textcodec.h"
#include "reading/segmenter.h"

namespace vernalo::cli {

int Pieces(const Args& args) {
    bool wordMode = false, ru = true, en = true;
    std::string dictRu, dictEn, input = "-";
    long from = 1;
    bool haveInput = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--mode") {
            if (!value(v) || (v != "word" && v != "sentence"))
                return UsageError("--mode takes word or sentence");
            wordMode = v == "word";
        } else if (a == "--no-ru") {
            ru = false;
        } else if (a == "--no-en") {
            en = false;
        } else if (a == "--dict-ru") {
            if (!value(dictRu)) return UsageError("--dict-ru needs a file");
        } else if (a == "--dict-en") {
            if (!value(dictEn)) return UsageError("--dict-en needs a file");
        } else if (a == "--from") {
            if (!value(v)) return UsageError("--from needs a position");
            auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), from);
            if (ec != std::errc() || p != v.data() + v.size() || from < 1)
                return UsageError("--from takes a position from 1: '" + v + "'");
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError("unknown option '" + a + "'");
        } else if (!haveInput) {
            input = a;
            haveInput = true;
        } else {
            return UsageError("more than one input file");
        }
    }
    if (!ru && !en) return UsageError("at least one language must stay on");

    DictStore dicts;
    std::string error;
    for (auto [path, dict] : {std::pair{&dictRu, &dicts.DictRU}, {&dictEn, &dicts.DictEN}}) {
        if (!path->empty() && !LoadDictionaryFile(*path, *dict, nullptr, &error))
            return UsageError(error);
    }
    std::string bytes;
    if (!ReadInput(input, bytes, error)) return UsageError(error);

    Segmenter seg(dicts);
    seg.EnabledRU = [ru] { return ru; };
    seg.EnabledEN = [en] { return en; };
    seg.SetText(DecodeTextFile(bytes).text);
    seg.ReadPos = from;
    auto lang = [](bool r, bool e) { return r ? "\"ru\"" : e ? "\"en\"" : "null"; };
    std::string line;
    while (seg.ReadPos <= seg.ReadLength) {
        const long start = seg.ReadPos;
        line = "{\"from\":" + std::to_string(start);
        if (wordMode) {
            TResultWord w = seg.NextWord();
            line += ",\"to\":" + std::to_string(seg.ReadPos) + ",\"lang\":" +
                    lang(w.Russian, w.English) + ",\"text\":" + JsonString(Utf16ToUtf8(w.Text)) +
                    ",\"speech\":" + JsonString(Utf16ToUtf8(w.Speech)) +
                    ",\"replacement\":" + JsonString(Utf16ToUtf8(w.Replacement)) +
                    ",\"sentenceEnd\":" + (w.SentenceEnd ? "true" : "false");
        } else {
            TResultSentence s = seg.NextSentence();
            line += ",\"to\":" + std::to_string(seg.ReadPos) + ",\"lang\":" +
                    lang(s.Russian, s.English) + ",\"text\":" + JsonString(Utf16ToUtf8(s.Text)) +
                    ",\"speech\":" + JsonString(Utf16ToUtf8(s.Speech));
        }
        line += "}\n";
        std::cout << line;
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}

}  // namespace vernalo::cli
